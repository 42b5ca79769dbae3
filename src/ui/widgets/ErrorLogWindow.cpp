#include "ui/widgets/ErrorLogWindow.h"

#include "diag/ErrorLog.h"
#include "ui_ErrorLogWindow.h"

#include <QCloseEvent>
#include <QScrollBar>
#include <QTextCursor>

namespace pelto::ui {
namespace {

// The log keeps CR LF line ends; the text box wants plain line breaks.
QString forDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

ErrorLogWindow::ErrorLogWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), ui_(std::make_unique<Ui::ErrorLogWindow>()),
      main_(mainWindow) {
    ui_->setupUi(this);
    // Never shorter than five button heights, so the button stays below its text box.
    setMinimumHeight(5 * ui_->cmdHideMe->minimumHeight());
    connect(ui_->cmdHideMe, &QPushButton::clicked, this, &QWidget::hide);

    diag::MessageLog& log = diag::messageLog();
    previousShow_ = log.showAndDock;
    previousChanged_ = log.changed;
    log.showAndDock = [this] {
        show();
        dock();
        if (previousShow_)
            previousShow_();
    };
    log.changed = [this] {
        showLogText();
        if (previousChanged_)
            previousChanged_();
    };
    ui_->txtLoggedMessages->clear();
    showLogText();

    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &ErrorLogWindow::followMainWindow);
    timer_.start();
}

ErrorLogWindow::~ErrorLogWindow() {
    diag::MessageLog& log = diag::messageLog();
    log.showAndDock = previousShow_;
    log.changed = previousChanged_;
}

void ErrorLogWindow::clear() {
    diag::messageLog().clear();
}

void ErrorLogWindow::dock() {
    if (!main_)
        return;
    const QRect mainFrame = main_->frameGeometry();
    const int frameHeight = frameGeometry().height() - height();
    move(mainFrame.left() + mainFrame.width(), mainFrame.top());
    resize(width(), std::max(minimumHeight(), mainFrame.height() - frameHeight));
}

void ErrorLogWindow::followMainWindow() {
    if (!main_ || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        return;
    const int top = main_->frameGeometry().top();
    if (mainTop_ == top)
        return;
    mainTop_ = top;
    dock();
}

void ErrorLogWindow::closeEvent(QCloseEvent* event) {
    // The close box hides the window; its text and place stay for the rest of the run.
    event->ignore();
    hide();
}

void ErrorLogWindow::showLogText() {
    const QString& text = diag::messageLog().text();
    QPlainTextEdit* box = ui_->txtLoggedMessages;
    if (text.size() < shown_ || shown_ == 0) {
        box->setPlainText(forDisplay(text));
    } else {
        // Only the new part is added, so a long run does not redraw its whole log per message.
        QTextCursor end(box->document());
        end.movePosition(QTextCursor::End);
        end.insertText(forDisplay(text.mid(shown_)));
    }
    shown_ = text.size();
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}

} // namespace pelto::ui
