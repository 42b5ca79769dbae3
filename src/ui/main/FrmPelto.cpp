#include "ui/main/FrmPelto.h"

#include "ui_FrmPelto.h"
#include "ui_OptionPageMiscellaneous.h"
#include "ui_OptionPageSaved.h"
#include "ui_OptionPageSubdirectories.h"
#include "ui_OptionPageSynchronize.h"

#include "diag/Convert.h"
#include "diag/ErrorLog.h"
#include "diag/Procedure.h"
#include "engine/copy/Copy.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/FsPath.h"
#include "platform/ProgramPaths.h"
#include "platform/ProgramState.h"
#include "platform/SystemDirs.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileHistory.h"
#include "profiles/ProfileTables.h"
#include "settings/SettingsKeys.h"
#include "ui/common/Twips.h"
#include "ui/main/CountingFileSystem.h"
#include "ui/main/ExtentDelegate.h"
#include "ui/main/InstanceLock.h"
#include "ui/widgets/AboutWindow.h"
#include "ui/widgets/ErrorLogWindow.h"
#include "ui/widgets/FolderBrowser.h"
#include "ui/widgets/RevisionsWindow.h"
#include "ui/widgets/SplashWindow.h"
#include "workflow/CheckWorkflow.h"
#include "workflow/CopyWorkflow.h"
#include "workflow/FolderSafety.h"
#include "workflow/ProgramSession.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <string_view>

namespace pelto::ui {
namespace {

// The action buttons' row: designed size and top of each button, in twips.
constexpr int kButtonWidth = 1695;
constexpr int kButtonHeight = 375;
constexpr int kButtonTop = 60;
constexpr int kButtonRowHeight = 495;
constexpr int kDesignedWidth = 11400;
constexpr int kDesignedHeight = 7470;
// The developer setting naming the folder of the developer's own profile file.
constexpr auto kDeveloperFolderKey = "DeveloperFolder";
constexpr auto kTitle = "Pelto - Back up your data!";

// A caption as a label shows it: the blanks that pad a heading line are dropped, CR LF breaks.
QString shownText(const QString& caption) {
    QStringList lines = caption.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        while (line.size() > 1 && line.endsWith(QLatin1Char(' ')) &&
               line.at(line.size() - 2) == QLatin1Char(' '))
            line.chop(1);
    }
    return lines.join(QLatin1Char('\n'));
}

// Keys, clicks, the wheel, context menus and shortcuts: what a window ignores while a sound plays.
bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

FrmPelto::FrmPelto(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::FrmPelto>()), dialogs_(this) {
    ui_->setupUi(this);
    // Each option page is a form of its own, set into its tab of the option page selector.
    const auto addPage = [](QWidget* tab, auto form) {
        auto* const page = new QWidget(tab);
        form.setupUi(page);
        tab->layout()->addWidget(page);
    };
    addPage(ui_->pageSynchronize, Ui::OptionPageSynchronize());
    addPage(ui_->pageSubdirectories, Ui::OptionPageSubdirectories());
    addPage(ui_->pageSaved, Ui::OptionPageSaved());
    addPage(ui_->pageMiscellaneous, Ui::OptionPageMiscellaneous());
    auto* const repeatUnit = findChild<QComboBox*>(QStringLiteral("cboRepeatFreq"));
    repeatUnit->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes")});
    repeatUnit->setCurrentIndex(-1);
    findChild<QLineEdit*>(QStringLiteral("txtUpdateFrequency"))
        ->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), this));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ui_->lstShowDirs->setFont(fixed);
    ui_->lstProfile->setFont(fixed);
    ui_->lstShowDirs->setModel(&lstShowDirs());
    ui_->lstSrcFolder->setModel(&lstSrcFolder());
    ui_->lstDstFolder->setModel(&lstDstFolder());
    ui_->lstSrcFile->setModel(&lstSrcFile());
    ui_->lstDstFile->setModel(&lstDstFile());
    ui_->lstProfile->setModel(&profileLines_);
    // A profile check highlights the line it walks.
    connect(&profileLines_, &ProfileListModel::selectedIndexChanged, this, [this](qsizetype row) {
        ui_->lstProfile->setCurrentIndex(profileLines_.index(static_cast<int>(row)));
    });
    for (QListView* list : {ui_->lstSrcFolder, ui_->lstDstFolder, ui_->lstSrcFile, ui_->lstDstFile})
        list->setItemDelegate(new ExtentDelegate(list));
    progressLabel_ = new QLabel(this);
    progressLabel_->setObjectName(QStringLiteral("lblProgress"));
    progressLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // text elided
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("barProgress"));
    progressBar_->setMaximumWidth(160);
    progressBar_->hide();
    statusBar()->addWidget(progressLabel_, 1);
    statusBar()->addPermanentWidget(progressBar_);
    ui_->barButtons->setFixedHeight(twipsToPixels(kButtonRowHeight, dpi()));
    resize(twipsToPixels(kDesignedWidth, dpi()), twipsToPixels(kDesignedHeight, dpi()));
    connectControls();
    connectSound();
    qApp->installEventFilter(this);
    showState();
}

FrmPelto::~FrmPelto() = default;

qreal FrmPelto::dpi() const {
    return logicalDpiY();
}

void FrmPelto::connectControls() {
    for (QRadioButton* option : findChildren<QRadioButton*>())
        if (controller_.has(option->objectName()))
            connect(option, &QRadioButton::toggled, this, [this, option](bool on) {
                if (showing_ || !on)
                    return;
                controller_.select(option->objectName());
                showState();
            });
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (controller_.has(box->objectName()))
            connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
                if (showing_)
                    return;
                controller_.setChecked(box->objectName(), on);
                showState();
            });
    for (QLineEdit* text : findChildren<QLineEdit*>())
        if (controller_.has(text->objectName()))
            connect(text, &QLineEdit::textChanged, this, [this, text](const QString& value) {
                if (showing_)
                    return;
                controller_.setText(text->objectName(), value);
                showState();
            });
    connect(findChild<QComboBox*>(QStringLiteral("cboRepeatFreq")), &QComboBox::currentTextChanged,
            this, [this](const QString& value) {
                if (!showing_)
                    controller_.setText(QStringLiteral("cboRepeatFreq"), value);
            });
    connect(ui_->tbsOptions, &QTabWidget::currentChanged, this, [this](int index) {
        if (showing_)
            return;
        controller_.SetTabStrip(index + 1);
        showState();
    });
    connect(ui_->SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (showing_)
            return;
        controller_.selectTab(index);
        showState();
    });
    connect(ui_->cmdCheck, &QPushButton::clicked, this, &FrmPelto::cmdCheck_Click);
    connect(ui_->cmdCopy, &QPushButton::clicked, this, &FrmPelto::cmdCopy_Click);
    connect(ui_->cmdCopyDelete, &QPushButton::clicked, this, &FrmPelto::cmdCopyDelete_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &FrmPelto::cmdCancel_Click);
    connect(ui_->cmdAgain, &QPushButton::clicked, this, &FrmPelto::cmdAgain_Click);
    connect(ui_->cmdResetArc, &QPushButton::clicked, this, &FrmPelto::cmdResetArc_Click);
    connect(ui_->cmdDesign, &QPushButton::clicked, this, &FrmPelto::cmdDesign_Click);
    connect(ui_->cmdRegTest, &QPushButton::clicked, this, &FrmPelto::cmdRegTest_Click);
    connect(ui_->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->mnuFileExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->mnuHelpAbout, &QAction::triggered, this, &FrmPelto::mnuHelpAbout_Click);
    connect(ui_->mnuHelpRevisions, &QAction::triggered, this, &FrmPelto::mnuHelpRevisions_Click);
    connect(&menu_, &QAbstractItemModel::modelReset, this, &FrmPelto::rebuildProfileMenu);
    connect(&menu_, &QAbstractItemModel::rowsInserted, this, &FrmPelto::rebuildProfileMenu);
    connect(&menu_, &QAbstractItemModel::rowsRemoved, this, &FrmPelto::rebuildProfileMenu);
    connect(&menu_, &QAbstractItemModel::dataChanged, this, &FrmPelto::showProfileMenu);
    controller_.onNumberingChanged = [this] {
        if (!ReadINI(QStringLiteral("Reload"), *this))
            g().gbErrorFlag = true;
        keepProfileChoice();
    };
}

void FrmPelto::connectSound() {
    connect(findChild<QPushButton*>(QStringLiteral("cmdTestSound")), &QPushButton::clicked, this,
            [this] { sound_.cmdTestSound_Click(); });
    connect(findChild<QPushButton*>(QStringLiteral("cmdChgSound")), &QPushButton::clicked, this,
            [this] {
                sound_.cmdChgSound_Click(dialogs(), GetWindowsDir());
                showState();
            });
    sound_.onTimerChanged = [this] {
        if (sound_.timerEnabled())
            Timer1_.start(sound_.timerInterval());
        else
            Timer1_.stop();
    };
    Timer1_.setObjectName(QStringLiteral("Timer1"));
    Timer1_.setParent(this);
    connect(&Timer1_, &QTimer::timeout, this, [this] { sound_.Timer1_Timer(); });
    // Moves count without a pressed button too.
    QList<QWidget*> tracked = {ui_->cmdCancel, ui_->cmdCopy, ui_->cmdCopyDelete,
                               ui_->cmdExit,   ui_->SSTab1,  ui_->SSTab1->tabBar()};
    for (QListView* list : {ui_->dirSrc, ui_->dirDst, ui_->filSrc, ui_->filDst})
        tracked << list << list->viewport();
    for (int page = 0; page < ui_->SSTab1->count(); ++page)
        tracked << ui_->SSTab1->widget(page);
    for (QWidget* widget : tracked)
        widget->setMouseTracking(true);
}

bool FrmPelto::stopsRepeat(const QWidget* widget) const {
    // The action buttons and the folder and file lists with everything inside them.
    const QWidget* const controls[] = {ui_->cmdCancel, ui_->cmdCopy, ui_->cmdCopyDelete,
                                       ui_->cmdExit,   ui_->dirSrc,  ui_->dirDst,
                                       ui_->filSrc,    ui_->filDst};
    for (const QWidget* control : controls)
        if (widget == control || control->isAncestorOf(widget))
            return true;
    // The outer tab control itself: its tabs and the free area of its pages, not the controls
    // that sit on them.
    const QTabWidget* const tabs = ui_->SSTab1;
    return widget == tabs || widget->parentWidget() == tabs ||
           tabs->indexOf(const_cast<QWidget*>(widget)) != -1;
}

void FrmPelto::playEndSound() {
    if (controller_.value(QStringLiteral("chkPlaySound")))
        sound_.PlaySounds();
}

void FrmPelto::connectFolderBrowsers() {
    // The drive, folder and file lists of each side become one folder picker; the highlighted
    // folder is the side's folder text, which a check uses.
    const auto connectSide = [this](QComboBox* drives, QListView* folders, QListView* files,
                                    const QString& box) {
        auto* browser = new FolderBrowser(drives, folders, files, this);
        connect(browser, &FolderBrowser::pathChanged, this, [this, box](const QString& path) {
            // Folder texts end in the separator, as they are saved.
            controller_.setText(box, path.isEmpty() || path.endsWith(QLatin1Char('/'))
                                         ? path
                                         : path + QLatin1Char('/'));
            showState();
        });
        return browser;
    };
    sourceBrowser_ =
        connectSide(ui_->drvSrc, ui_->dirSrc, ui_->filSrc, QStringLiteral("txtSource"));
    destinationBrowser_ =
        connectSide(ui_->drvDst, ui_->dirDst, ui_->filDst, QStringLiteral("txtDest"));
}

void FrmPelto::showState() {
    const QScopedValueRollback<bool> guard(showing_, true);
    const qreal resolution = dpi();
    for (const auto& [name, state] : controller_.controls()) {
        QWidget* const widget = findChild<QWidget*>(name);
        if (!widget)
            continue;
        widget->setEnabled(state.enabled);
        if (widget->parentWidget() == ui_->barButtons) {
            // The designed width, or more where the system font needs it.
            widget->setGeometry(
                twipsToPixels(state.left, resolution), twipsToPixels(kButtonTop, resolution),
                std::max(twipsToPixels(kButtonWidth, resolution), widget->sizeHint().width()),
                twipsToPixels(kButtonHeight, resolution));
        }
        if (!name.startsWith(QLatin1String("fraOptions_")))
            widget->setVisible(state.visible);
        if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            if (state.value)
                option->setChecked(true);
        } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setChecked(state.value);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(state.caption);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(shownText(state.caption));
        } else if (auto* text = qobject_cast<QLineEdit*>(widget)) {
            if (text->text() != state.caption)
                text->setText(state.caption);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget);
                   combo && name.startsWith(QLatin1String("cbo"))) {
            combo->setCurrentIndex(combo->findText(state.caption));
        }
    }
    ui_->tbsOptions->setCurrentIndex(controller_.optionPage() - 1);
    ui_->SSTab1->setCurrentIndex(controller_.tab());
}

void FrmPelto::setOptRecurse(bool on) {
    controller_.select(on ? QStringLiteral("optRecurse") : QStringLiteral("optNoRecur"));
    showState();
}

bool FrmPelto::StoreFolderProfile(const QString& asFolder) {
    return pelto::StoreFolderProfile(asFolder);
}

void FrmPelto::Refresh() {
    publishLists();
    // The engine refreshes after every folder; fitting the status line to its place takes
    // longer than a small folder, so the line is rewritten at most four times a second.
    const qint64 now = clock().nowMs();
    if (progressShownMs_ < 0 || now - progressShownMs_ >= 250 || now < progressShownMs_) {
        progressShownMs_ = now;
        showProgress();
    }
    repaint();
}

void FrmPelto::DoEvents() {
    publishLists();
    QCoreApplication::processEvents();
}

void FrmPelto::CreateNewFolder(QString& asMyPath) {
    // The profile reader asks for a line's destination: a folder the user named, so it is made
    // exactly as written.
    diag::Procedure proc("Pelto", "Sub CreateNewFolder",
                         [&] { return diag::traceParams("asMyPath", asMyPath); });
    const auto trap = proc.trap();
    static_cast<void>(trap([&] { workflow::createFolderExactly(*g().goFSO, asMyPath); }));
}

QRect FrmPelto::designedGeometryTwips() const {
    if (designedTwips_.isValid())
        return designedTwips_;
    const QScreen* const screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    QRect window(QPoint(0, 0), frameGeometry().size());
    window.moveCenter(area.center());
    window.moveTopLeft(
        QPoint(std::max(window.left(), area.left()), std::max(window.top(), area.top())));
    return pixelsToTwips(window, dpi());
}

QPoint FrmPelto::positionTwips() const {
    return pixelsToTwips(pos(), dpi());
}

void FrmPelto::placeWindow() {
    designedTwips_ = designedGeometryTwips();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(pixelsToTwips(screen->availableGeometry(), dpi()));
    move(twipsToPixels(controller_.restoredPosition(*g().goReg, designedTwips_, screens), dpi()));
}

void FrmPelto::restoreSavedFolders() {
    Registry& reg = *g().goReg;
    for (const auto& [key, box] : {std::pair{settings::key::PathSource.name, "txtSource"},
                                   {settings::key::PathDest.name, "txtDest"}}) {
        diag::Procedure proc("Pelto", "Sub Form_Load", [] { return QString(); });
        const auto trap = proc.trap();
        const QString folder = MainController::savedFolder(reg, key);
        if (folder.isEmpty())
            continue;
        // A folder on a volume that is not mounted now is passed over without a word.
        const auto found = trap([&] { return g().goFSO->FolderExists(folder); });
        if (found && found.value() && *found.value()) {
            controller_.setText(QString::fromLatin1(box), folder);
            const bool source = std::string_view(box) == "txtSource";
            if (FolderBrowser* browser = source ? sourceBrowser_ : destinationBrowser_)
                browser->setPath(folder);
        }
    }
}

bool FrmPelto::Form_Load(const StartOptions& options) {
    diag::Procedure proc("Pelto", "Sub Form_Load", [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    controller_.setLoading(true);
    if (options.sound)
        sound_.setPlayer(*options.sound);
    session_ = std::make_unique<workflow::ProgramSession>(
        options.dialogs ? *options.dialogs : dialogs_,
        static_cast<qint16>(diag::CvtInt(controller_.caption(QStringLiteral("txtUpdateFrequency")),
                                         QStringLiteral("Form_Load: txtUpdateFrequency"))));
    ProgramState& state = g();
    Registry& reg = *state.goReg;
    files_ = std::make_unique<CountingFileSystem>(session_->fileSystem());
    state.goFSO = files_.get();
    if (state.gbInDesign) {
        // The developer buttons I and K work on folders of the developer's own machine; they
        // stay hidden.
        controller_.control(QStringLiteral("cmdDesign")).visible = true;
        controller_.control(QStringLiteral("cmdRegTest")).visible = true;
    }
    if (options.splash && !state.gbInDesign)
        SplashWindow::showFor(this);
    // The message-log window docks to this window; the error log's outlets show and fill it.
    errorLog_ = new ErrorLogWindow(this);
    controller_.selectTab(0);
    for (const char* option : {"optCopy", "optRecurse", "optTest"})
        controller_.select(QString::fromLatin1(option));
    const bool ok = static_cast<bool>(trap([&] {
        controller_.restoreNumberProfiles(reg);
        readProfiles(options.profileFile);
        controller_.control(QStringLiteral("lstProfile")).visible = false;
        setWindowTitle(QString::fromLatin1(kTitle));
        controller_.restoreModes(reg);
        instance_ = std::make_unique<InstanceLock>(
            options.instanceName.isEmpty() ? InstanceLock::defaultName() : options.instanceName);
        controller_.countInstance(reg, instance_->anotherRunning());
        resize(width(), twipsToPixels(kDesignedHeight, dpi()));
        placeWindow();
    }));
    if (!ok) {
        state.gbErrorFlag = true;
    } else {
        connectFolderBrowsers();
        restoreSavedFolders();
        static_cast<void>(trap([&] {
            controller_.restoreSound(
                reg, GetWindowsDir() + QStringLiteral("/Media/Ding.wav"),
                [](const QString& file) { return g().goFSO->FileExists(file); });
        }));
    }
    controller_.setLoading(false);
    showState();
    return !state.gbErrorFlag;
}

void FrmPelto::readProfiles(const QString& profileFile) {
    // A developer names the folder of their own profile file in the developer setting; it is
    // empty unless set, and then nothing matches.
    Registry& reg = *g().goReg;
    reg.setKey(QString::fromLatin1(kDeveloperFolderKey));
    reg.GetReg();
    const QString developer = reg.Settings();
    if (!developer.isEmpty() && programFolder().startsWith(developer, Qt::CaseInsensitive)) {
        QString file = developer;
        if (!file.endsWith(pathSeparator()))
            file += pathSeparator();
        file += QString::fromLatin1(kDeveloperProfileFileName);
        if (QFileInfo::exists(file)) {
            if (!ReadINI(QStringLiteral("Load"), *this, file) &&
                !ReadINI(QStringLiteral("Load"), *this, profileFile))
                g().gbErrorFlag = true;
            controller_.control(QStringLiteral("lblResetArc")).visible = true;
            controller_.control(QStringLiteral("chkResetArc")).visible = true;
            return;
        }
    }
    if (!ReadINI(QStringLiteral("Load"), *this, profileFile))
        g().gbErrorFlag = true;
}

void FrmPelto::Form_Unload() {
    diag::Procedure proc("Pelto", "Sub Form_Unload", [] { return QStringLiteral("(Cancel=0)"); });
    const auto trap = proc.trap();
    if (Registry* const reg = g().goReg) {
        reg->setSection(QString::fromLatin1(settings::kSettingsSection));
        static_cast<void>(trap([&] {
            controller_.saveOptions(*reg);
            controller_.savePosition(*reg, positionTwips());
        }));
    }
    // The error-log window is closed here once it exists.
    unloaded_ = true;
}

void FrmPelto::closeEvent(QCloseEvent* event) {
    // Closing while a check or copy runs would pull the window from under it; while a sound
    // plays the window takes no input.
    if (!MainController::mayStartAction() || sound_.busy()) {
        event->ignore();
        return;
    }
    if (!unloaded_)
        Form_Unload();
    event->accept();
}

void FrmPelto::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShown_)
        return;
    firstShown_ = true;
    controller_.SetTabStrip(1);
    showState();
}

bool FrmPelto::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the program passes here: the type is looked at before anything else.
    const QEvent::Type type = event->type();
    const bool move = (type == QEvent::MouseMove || type == QEvent::Enter) && sound_.stoppable();
    const bool blocked = sound_.busy() && isUserInput(type);
    if (!move && !blocked && type != QEvent::KeyPress)
        return false;
    auto* const widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (move) {
        if (stopsRepeat(widget))
            sound_.mouseMoved();
        return false;
    }
    if (blocked) {
        // While a sound plays the window takes no input; an accepted shortcut override keeps
        // menu and button shortcuts from firing.
        event->accept();
        return true;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    if (!ctrl || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
        return false;
    controller_.switchOptionPage(key->key() == Qt::Key_Tab && !shift);
    showState();
    return true;
}

void FrmPelto::rebuildProfileMenu() {
    // Entries come and go only while the file is (re)loaded, never from an entry's own click.
    for (const QPointer<QAction>& action : profileActions_)
        delete action.data();
    profileActions_.clear();
    for (int index = 1; index <= menu_.UBound(); ++index) {
        auto* const action = new QAction(ui_->mnuFile);
        action->setObjectName(QStringLiteral("mnuProfile_") + QString::number(index));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, index] { mnuProfile_Click(index); });
        ui_->mnuFile->insertAction(ui_->mnuFileExit, action);
        profileActions_.append(action);
    }
    delete profileSeparator_.data();
    profileSeparator_ = ui_->mnuFile->insertSeparator(ui_->mnuFileExit);
    showProfileMenu();
}

void FrmPelto::showProfileMenu() {
    bool any = false;
    for (int index = 1; index <= profileActions_.size() && index <= menu_.UBound(); ++index) {
        QAction* const action = profileActions_.at(index - 1);
        action->setText(menu_.caption(index));
        action->setChecked(menu_.isChecked(index));
        action->setVisible(menu_.isVisible(index));
        any = any || menu_.isVisible(index);
    }
    if (profileSeparator_)
        profileSeparator_->setVisible(any);
}

void FrmPelto::mnuProfile_Click(int index) {
    if (!MainController::mayStartAction())
        return;
    diag::Procedure proc("Pelto", "Sub mnuProfile_Click",
                         [&] { return diag::traceParams("Index", index); });
    MainController::beginUserAction();
    for (int k = 1; k <= menu_.UBound(); ++k) {
        if (k != index) {
            if (menu_.isChecked(k))
                menu_.setChecked(k, false);
            continue;
        }
        const bool chosen = !menu_.isChecked(k);
        menu_.setChecked(k, chosen);
        g().gbExcludes = chosen;
        controller_.showProfileLines(chosen);
        chosenProfile_.clear();
        if (!chosen) {
            setWindowTitle(QString::fromLatin1(kTitle));
            continue;
        }
        // Read as a profile even when the section is called "Load" or "Reload".
        const QString section =
            ProfileMenuModel::sectionOfCaption(menu_.caption(k), chkNumberProfiles());
        if (ReadProfile(section, *this) && !g().gbErrorFlag) {
            chosenProfile_ = section;
            continue;
        }
        // The reader has told the user what is wrong with the profile; the window stays, with
        // the folder pickers instead of a profile that is read only in part.
        dropProfileChoice();
        g().gbErrorFlag = false;
    }
    showState();
}

void FrmPelto::dropProfileChoice() {
    for (int k = 1; k <= menu_.UBound(); ++k)
        if (menu_.isChecked(k))
            menu_.setChecked(k, false);
    chosenProfile_.clear();
    g().gbExcludes = false;
    profileLines_.clear();
    controller_.showProfileLines(false);
    setWindowTitle(QString::fromLatin1(kTitle));
    showState();
}

void FrmPelto::keepProfileChoice() {
    if (chosenProfile_.isEmpty())
        return;
    for (int k = 1; k <= menu_.UBound(); ++k) {
        if (ProfileMenuModel::sectionOfCaption(menu_.caption(k), chkNumberProfiles()) ==
            chosenProfile_) {
            menu_.setChecked(k, true);
            return;
        }
    }
    dropProfileChoice();
}

void FrmPelto::mnuHelpAbout_Click() {
    AboutWindow about(this);
    about.exec();
}

void FrmPelto::mnuHelpRevisions_Click() {
    // One history window at a time: a second click brings it to the front.
    if (revisions_) {
        revisions_->raise();
        revisions_->activateWindow();
        return;
    }
    revisions_ = RevisionsWindow::Display(0, this);
}

bool FrmPelto::askCopyNow(const CopyAutomaticallyWindow::Plan& plan) {
    diag::Procedure proc("frmCopyAutomatically", "Sub Form_Load",
                         [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    Registry& reg = *g().goReg;
    // The window's place is kept per instance in the chosen profile's history section.
    const QString section = settings::profileSection(g().giProfileEntry);
    const QString id = QString::fromLatin1(settings::kCopyAutomaticallyWindowId);
    const QString top = settings::topKey(controller_.instanceLabel(), id);
    const QString left = settings::leftKey(controller_.instanceLabel(), id);
    CopyAutomaticallyWindow countdown(plan, this);
    countdown.adjustSize();
    const auto stored = trap([&] {
        QPoint at;
        reg.setSection(section);
        for (const QString& key : {top, left}) {
            reg.setKey(key);
            reg.GetReg();
            const qint32 value = diag::CvtLng(reg.Settings(), QStringLiteral("Form_Load: ") + key);
            (key == top ? at.ry() : at.rx()) = value;
        }
        return at;
    });
    if (stored && stored.value() && stored.value()->x() > 0 && stored.value()->y() > 0) {
        const QPoint at = *stored.value();
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.append(pixelsToTwips(screen->availableGeometry(), dpi()));
        if (reachable(QRect(at, pixelsToTwips(countdown.frameGeometry(), dpi()).size()), screens))
            countdown.move(twipsToPixels(at, dpi()));
    }
    countdown.exec();
    const QPoint at = pixelsToTwips(countdown.pos(), dpi());
    static_cast<void>(trap([&] {
        reg.setSection(section);
        for (const auto& [key, value] : {std::pair{top, at.y()}, {left, at.x()}}) {
            reg.setKey(key);
            reg.setSettings(QString::number(value));
            reg.SaveReg();
        }
    }));
    return countdown.bCopyNow();
}

void FrmPelto::cmdDesign_Click() {
    ProgramState& state = g();
    state.gbInDesign = !state.gbInDesign;
    dialogs().notice(QStringLiteral("gbInDesign is now ") +
                         (state.gbInDesign ? QStringLiteral("True") : QStringLiteral("False")),
                     QStringLiteral("Pelto"));
}

void FrmPelto::cmdRegTest_Click() {
    diag::Procedure proc("Pelto", "Sub cmdRegTest_Click", [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    if (!dialogs().yesNo(QStringLiteral("Ready to delete profile registry entries??"),
                         QStringLiteral("WARNING")))
        return;
    Registry& reg = *g().goReg;
    for (const QString& key : settings::developerResetKeys(controller_.instanceLabel())) {
        reg.setKey(key);
        if (!trap([&] { reg.DelReg(); }))
            return;
    }
}

} // namespace pelto::ui
