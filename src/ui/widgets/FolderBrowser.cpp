#include "ui/widgets/FolderBrowser.h"

#include "diag/Procedure.h"
#include "diag/Version.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramState.h"
#include "platform/SystemFileSystem.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace pelto::ui {
namespace {

using diag::Answer;

// Indents each folder line by its depth, so the ancestors read as a path down to the open one.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += indent(option, index);
        return size;
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(FolderListModel::DepthRole).toInt() * option.fontMetrics.height() * 2 / 3;
    }
};

void prepareView(QListView* view, QAbstractItemModel* model) {
    view->setModel(model);
    // Uniform rows: a view over 100 000 names lays out only what it shows.
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

} // namespace

FolderBrowser::FolderBrowser(QComboBox* drives, QListView* folders, QListView* files,
                             QObject* parent)
    : QObject(parent), drives_(drives), folders_(folders), files_(files), folderModel_(this),
      fileModel_(this), source_(&mountedVolumes),
      driveProc_("Sub " + drives->objectName().toLatin1() + "_Change"),
      folderProc_("Sub " + folders->objectName().toLatin1() + "_Change") {
    prepareView(folders_, &folderModel_);
    prepareView(files_, &fileModel_);
    folders_->setItemDelegate(new IndentDelegate(folders_));
    folders_->installEventFilter(this);
    drives_->installEventFilter(this);
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { emitIfChanged(); });
    connect(folders_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { openRow(index.row()); });
    connect(drives_, &QComboBox::currentIndexChanged, this, &FolderBrowser::driveChosen);
    refreshDrives();
    setPath(QDir::currentPath());
}

FolderBrowser::~FolderBrowser() = default;

QString FolderBrowser::path() const {
    const QModelIndex current = folders_ ? folders_->currentIndex() : QModelIndex();
    return current.isValid() ? folderModel_.pathAt(current.row()) : open_;
}

void FolderBrowser::setPath(const QString& path) {
    const QString wanted = fspath::normalize(path);
    if (wanted.isEmpty())
        return;
    // A stored folder on a volume that is gone is no error: the lists stay as they are.
    std::optional<Listing> listing;
    QString folder;
    QString root;
    try {
        const std::optional<QString> resolved = fs().ResolvePath(wanted, EntryKind::Folder);
        if (!resolved)
            return;
        folder = *resolved;
        const int drive = driveIndexOf(folder);
        root = drive >= 0 ? volumes_[drive].mountPoint : fs().MountPointOf(folder);
        if (!fs().IsReadyAt(root))
            return;
        listing = list(folder);
        selectDriveQuietly(drive);
    } catch (const RuntimeError&) {
        return;
    }
    show(root, folder, std::move(*listing));
}

void FolderBrowser::refreshDrives() {
    volumes_ = source_ ? source_() : QList<Volume>();
    const QSignalBlocker blocker(drives_);
    drives_->clear();
    for (const Volume& volume : std::as_const(volumes_))
        drives_->addItem(volumeText(volume), volume.mountPoint);
    drives_->setCurrentIndex(open_.isEmpty() ? -1 : driveIndexOf(open_));
}

void FolderBrowser::setVolumeSource(VolumeSource source) {
    source_ = std::move(source);
    refreshDrives();
}

bool FolderBrowser::eventFilter(QObject* watched, QEvent* event) {
    // Only the two event types are looked at: a list being destroyed still sends others, and
    // its pointer may no longer be taken as the list then.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    // The drive list is read again each time it is opened, so a volume mounted since shows.
    if (watched == drives_ && event->type() == QEvent::MouseButtonPress) {
        refreshDrives();
        return false;
    }
    if (watched == folders_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openRow(folders_->currentIndex().row());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FolderBrowser::driveChosen(int index) {
    if (index < 0 || index >= volumes_.size())
        return;
    diag::Procedure proc("Pelto", driveProc_.constData(), diag::noParams());
    bool cancelled = false;
    const auto trap = proc.trap([&](const RuntimeError& e) {
        if (e.number() != err::DeviceUnavailable)
            return Answer::None;
        if (dialogs().ask(BoxButtons::RetryCancel, QStringLiteral("Drive is not available."),
                          QString::fromUtf8(kVersion.title), BoxIcon::Critical) == BoxAnswer::Retry)
            return Answer::Retry;
        cancelled = true;
        return Answer::Abort;
    });
    const QString root = volumes_[index].mountPoint;
    auto listing = trap([&] {
        if (!fs().IsReadyAt(root))
            throw fsError(err::DeviceUnavailable);
        return list(root);
    });
    if (listing.value()) {
        show(root, root, std::move(*std::move(listing).value()));
        return;
    }
    const int fallback = volumes_.size() > 1 ? 1 : 0;
    if (cancelled && index != fallback) {
        // Runs this handler again for the fallback drive.
        drives_->setCurrentIndex(fallback);
    } else if (cancelled) {
        // Not even the fallback drive can be read: nothing is open.
        root_.clear();
        open_.clear();
        folderModel_.clear();
        fileModel_.show({});
        emitIfChanged();
    } else {
        // The failure report gave up: the drive list shows the open folder's drive again.
        selectDriveQuietly(driveIndexOf(open_));
    }
}

void FolderBrowser::openRow(int row) {
    const QString folder = folderModel_.pathAt(row);
    if (folder.isEmpty() || folder == open_)
        return;
    diag::Procedure proc("Pelto", folderProc_.constData(), diag::noParams());
    const auto trap = proc.trap();
    auto listing = trap([&] { return list(folder); });
    if (listing.value())
        show(root_, folder, std::move(*std::move(listing).value()));
}

FolderBrowser::Listing FolderBrowser::list(const QString& folder) {
    Listing listing;
    for (const DirEntry& entry : fs().List(folder))
        (entry.kind == EntryKind::Folder ? listing.folders : listing.files).append(entry.name);
    return listing;
}

void FolderBrowser::show(const QString& root, const QString& folder, Listing listing) {
    root_ = root;
    open_ = folder;
    folderModel_.show(root, folder, std::move(listing.folders));
    fileModel_.show(std::move(listing.files));
    highlight(folderModel_.openRow());
    emitIfChanged();
}

void FolderBrowser::highlight(int row) {
    const QModelIndex index = folderModel_.index(row);
    folders_->setCurrentIndex(index);
    folders_->scrollTo(index);
}

void FolderBrowser::emitIfChanged() {
    const QString now = path();
    if (now != reported_) {
        reported_ = now;
        Q_EMIT pathChanged(now);
    }
}

void FolderBrowser::selectDriveQuietly(int index) {
    const QSignalBlocker blocker(drives_);
    drives_->setCurrentIndex(index);
}

int FolderBrowser::driveIndexOf(const QString& path) const {
    int best = -1;
    for (int i = 0; i < volumes_.size(); ++i) {
        const QString& point = volumes_[i].mountPoint;
        if (fspath::isWithin(path, point) &&
            (best < 0 || point.size() > volumes_[best].mountPoint.size()))
            best = i;
    }
    return best;
}

FileSystem& FolderBrowser::fs() {
    if (g().goFSO)
        return *g().goFSO;
    if (!ownFs_)
        ownFs_ = makeSystemFileSystem();
    return *ownFs_;
}

} // namespace pelto::ui
