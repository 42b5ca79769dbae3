#include "ui/widgets/CopyAutomaticallyWindow.h"

#include "ui_CopyAutomaticallyWindow.h"

namespace pelto::ui {
namespace {

QString count(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString listed(qsizetype files, qsizetype folders) {
    return count(files, "file", "files") + QStringLiteral(" and ") +
           count(folders, "folder", "folders");
}

} // namespace

CopyAutomaticallyWindow::CopyAutomaticallyWindow(const Plan& plan, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CopyAutomaticallyWindow>()) {
    ui_->setupUi(this);
    ui_->lblProfile->setText(QStringLiteral("Profile: ") + plan.profile);
    QString action = plan.sync ? QStringLiteral("Pelto will copy and delete")
                               : QStringLiteral("Pelto will copy");
    if (plan.test)
        action += QStringLiteral(" (test mode: nothing is changed)");
    ui_->lblAction->setText(action + QStringLiteral(" when the count reaches zero."));
    ui_->lblListed->setText(
        QStringLiteral("The check listed:\n    at the source: %1\n    at the destination: %2")
            .arg(listed(plan.sourceFiles, plan.sourceFolders),
                 listed(plan.destinationFiles, plan.destinationFolders)));
    ui_->Label1->setText(QString::number(kSeconds));
    connect(ui_->cmdLoad, &QPushButton::clicked, this, &CopyAutomaticallyWindow::cmdLoad_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &CopyAutomaticallyWindow::cmdCancel_Click);
    Timer1_.setObjectName(QStringLiteral("Timer1"));
    Timer1_.setParent(this);
    Timer1_.setInterval(1000);
    connect(&Timer1_, &QTimer::timeout, this, &CopyAutomaticallyWindow::Timer1_Timer);
}

CopyAutomaticallyWindow::~CopyAutomaticallyWindow() = default;

int CopyAutomaticallyWindow::secondsShown() const {
    return ui_->Label1->text().toInt();
}

void CopyAutomaticallyWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Timer1_.start();
}

void CopyAutomaticallyWindow::Timer1_Timer() {
    if (counter_ == 0)
        counter_ = secondsShown();
    --counter_;
    if (counter_ >= 1)
        ui_->Label1->setText(QString::number(counter_));
    else
        cmdLoad_Click();
}

void CopyAutomaticallyWindow::cmdLoad_Click() {
    answer(true);
}

void CopyAutomaticallyWindow::cmdCancel_Click() {
    answer(false);
}

void CopyAutomaticallyWindow::reject() {
    // Esc and the close box mean no copy.
    Timer1_.stop();
    copyNow_ = false;
    QDialog::reject();
}

void CopyAutomaticallyWindow::answer(bool copyNow) {
    Timer1_.stop();
    copyNow_ = copyNow;
    done(copyNow ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace pelto::ui
