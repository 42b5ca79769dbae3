#include "ui/widgets/SplashWindow.h"

#include "diag/Version.h"
#include "platform/Volumes.h"
#include "ui_SplashWindow.h"

#include <QKeyEvent>
#include <QPixmap>

namespace pelto::ui {

QString cutAtMarker(const QString& notice, const QString& marker) {
    const qsizetype at = notice.indexOf(marker, 0, Qt::CaseSensitive);
    return at < 0 ? QString() : notice.left(at + 1);
}

SplashWindow::SplashWindow(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::SplashWindow>()) {
    ui_->setupUi(this);
    ui_->Image1->setPixmap(QPixmap(QStringLiteral(":/pelto/pelto.png")));
    ui_->lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                                 .arg(kVersion.major)
                                 .arg(kVersion.minor)
                                 .arg(kVersion.revision));
    ui_->lblProductName->setText(QString::fromUtf8(kVersion.title));
    ui_->lblCompany->setText(QString::fromUtf8(kVersion.company));
    ui_->lblWarning->setText(
        tr("This program comes with no warranty of any kind; use it at your own risk."));
    ui_->lblPlatform->setText(systemName());
    ui_->lblCopyright->setText(cutAtMarker(QString::fromUtf8(kVersion.legalCopyright),
                                           QString::fromLatin1(kLegalNoticeMarker)));
    setWindowTitle(QString::fromUtf8(kVersion.title));
    ui_->Frame1->installEventFilter(this);

    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setSingleShot(true);
    timer_.setInterval(3000);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
    timer_.start();
}

SplashWindow::~SplashWindow() = default;

SplashWindow* SplashWindow::showFor(QWidget* parent) {
    auto* splash = new SplashWindow(parent);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    return splash;
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    close();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    // Clicks on the labels inside the frame reach the frame too.
    if (watched == ui_->Frame1 && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pelto::ui
