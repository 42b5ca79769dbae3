#include "ui/widgets/RevisionsWindow.h"

#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "platform/ProgramPaths.h"
#include "platform/SystemDirs.h"
#include "platform/TextFile.h"
#include "ui_RevisionsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QResizeEvent>

namespace pelto::ui {
namespace {

// The strip under the list that holds the OK button, in twips.
constexpr int kButtonStripTwips = 900;

} // namespace

QStringList revisionFolders() {
    QStringList folders{programFolder()};
    if (QCoreApplication::instance())
        folders << dataDirCandidates(QCoreApplication::applicationDirPath());
    return folders;
}

QString findRevisionFile(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo file(QDir(folder), QString::fromLatin1(kRevisionFileName));
        if (file.isFile())
            return file.filePath();
    }
    return {};
}

RevisionsWindow::RevisionsWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::RevisionsWindow>()) {
    ui_->setupUi(this);
    connect(ui_->cmdOK, &QPushButton::clicked, this, &QWidget::close);
}

RevisionsWindow::~RevisionsWindow() = default;

RevisionsWindow* RevisionsWindow::Display(qint16 aiMode, QWidget* aoForm,
                                          const QStringList& folders) {
    diag::Procedure proc("frmRev", "Sub Display", [&] {
        return diag::traceParams("aiMode", aiMode, "aoForm", QStringLiteral("<Form>"));
    });
    const auto trap = proc.trap();
    const QString file = findRevisionFile(folders);
    if (file.isEmpty()) {
        diag::LogError(QStringLiteral("frmRev"), QStringLiteral("Sub Display"),
                       QStringLiteral("Revision History not found"));
        return nullptr;
    }
    const auto read = trap([&] { return readTextLines(file); });
    if (!read || !read.value())
        return nullptr;
    auto* const window = new RevisionsWindow(aoForm);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ui_->lstRev->addItems(*read.value());
    if (aiMode == 1)
        window->setModal(true);
    window->show();
    window->ui_->lstRev->setCurrentRow(0);
    return window;
}

QStringList RevisionsWindow::lines() const {
    QStringList result;
    for (int row = 0; row < ui_->lstRev->count(); ++row)
        result << ui_->lstRev->item(row)->text();
    return result;
}

void RevisionsWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int strip = kButtonStripTwips * logicalDpiY() / 1440;
    QPushButton* const ok = ui_->cmdOK;
    ok->resize(ok->sizeHint().expandedTo(QSize(90, 0)));
    // Never less than five button heights tall; the list takes the room above the button strip.
    setMinimumHeight(std::max(5 * ok->height(), strip + ok->height()));
    ui_->lstRev->setGeometry(0, 0, width(), std::max(0, height() - strip));
    ok->move((width() - ok->width()) / 2, height() - strip + (strip - ok->height()) / 2);
}

} // namespace pelto::ui
