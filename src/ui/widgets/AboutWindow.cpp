#include "ui/widgets/AboutWindow.h"

#include "diag/Procedure.h"
#include "diag/Version.h"
#include "platform/Dialogs.h"
#include "platform/ProgramPaths.h"
#include "platform/SystemInfo.h"
#include "ui_AboutWindow.h"

#include <QPixmap>

namespace pelto::ui {

QString versionLine() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(kVersion.major)
        .arg(kVersion.minor)
        .arg(kVersion.revision);
}

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutWindow>()) {
    ui_->setupUi(this);
    const QString title = QString::fromUtf8(kVersion.title);
    setWindowTitle(QStringLiteral("About ") + title);
    ui_->Image1->setPixmap(QPixmap(QStringLiteral(":/pelto/pelto.png")));
    ui_->lblTitle->setText(title);
    ui_->lblVersion->setText(versionLine());
    ui_->lblDescription->setText(
        tr("Compares two folders, lists what differs and copies the changes across, for one "
           "folder pair or every pair of a profile."));
    ui_->lblFolder->setText(tr("Program folder: ") + programFolder());
    ui_->lblMaker->setText(QString::fromUtf8(kVersion.company));
    ui_->lblLegal->setText(QString::fromUtf8(kVersion.legalCopyright));
    connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });
    setFixedSize(sizeHint().expandedTo(QSize(440, 0)));
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::StartSysInfo(const QStringList& folders) {
    diag::Procedure proc("frmAbout", "Sub StartSysInfo", [] { return QStringLiteral("()"); });
    const auto trap = proc.trap();
    static_cast<void>(trap([&] {
        if (!startProgram(systemInfoProgram(folders)))
            dialogs().notice(QStringLiteral("System Information Is Unavailable At This Time"),
                             windowTitle());
    }));
}

} // namespace pelto::ui
