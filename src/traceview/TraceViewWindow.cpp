#include "TraceViewWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

namespace pelto::traceview {
namespace {

// A long session is cut from the front so that the viewer's memory stays bounded.
constexpr int kMaxLines = 200'000;
constexpr int kRefreshMs = 100;

} // namespace

TraceViewWindow::TraceViewWindow(QWidget* parent)
    : QWidget(parent), lines_(new QListWidget(this)), status_(new QLabel(this)) {
    // Long lines scroll sideways rather than being cut; batched layout keeps long traces quick.
    lines_->setTextElideMode(Qt::ElideNone);
    lines_->setLayoutMode(QListView::Batched);
    lines_->setSelectionMode(QAbstractItemView::SingleSelection);
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* clear = new QPushButton(tr("&Clear"), this);
    connect(clear, &QPushButton::clicked, this, [this] {
        pending_.clear();
        lines_->clear();
        updateStatus();
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines_, 1);
    layout->addLayout(bottom);

    refresh_.setSingleShot(true);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TraceViewWindow::showPendingLines);
    connect(&listener_, &diag::TraceListener::lineReceived, this, &TraceViewWindow::addLine);
    resize(900, 500);
}

bool TraceViewWindow::startListening() {
    const bool ok = listener_.listen();
    setWindowTitle(ok ? listener_.name() : QString::fromLatin1(diag::kTraceViewName));
    updateStatus();
    return ok;
}

void TraceViewWindow::addLine(const QString& line) {
    // Tabs mark the nesting depth; a list item shows them as nothing, so they are spelled out.
    QString shown = line;
    shown.replace(QLatin1Char('\t'), QStringLiteral("    "));
    pending_.append(shown);
    if (!refresh_.isActive())
        refresh_.start();
}

void TraceViewWindow::showPendingLines() {
    if (pending_.size() > kMaxLines)
        pending_.remove(0, pending_.size() - kMaxLines);
    const int excess = lines_->count() + static_cast<int>(pending_.size()) - kMaxLines;
    for (int i = 0; i < excess; ++i) {
        const std::unique_ptr<QListWidgetItem> oldest(lines_->takeItem(0));
    }
    lines_->addItems(pending_);
    pending_.clear();
    lines_->setCurrentRow(lines_->count() - 1);
    updateStatus();
}

void TraceViewWindow::updateStatus() {
    const QString where =
        listener_.name().isEmpty()
            ? tr("Not receiving: no free name in %1").arg(diag::traceSocketFolder())
            : tr("Receiving as \"%1\"").arg(listener_.name());
    status_->setText(tr("%1 - %n line(s)", nullptr, lines_->count()).arg(where));
}

} // namespace pelto::traceview
