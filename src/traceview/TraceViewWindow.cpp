#include "TraceViewWindow.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pelto::traceview {
namespace {

// A long session is cut from the front so that the viewer's memory stays bounded.
constexpr int kMaxLines = 200'000;
constexpr int kRefreshMs = 100;

} // namespace

TraceViewWindow::TraceViewWindow(QWidget* parent)
    : QWidget(parent), view_(new QTreeView(this)), status_(new QLabel(this)) {
    view_->setModel(&model_);
    view_->setHeaderHidden(true);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setTextElideMode(Qt::ElideNone);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* clear = new QPushButton(tr("&Clear"), this);
    connect(clear, &QPushButton::clicked, this, &TraceViewWindow::clearLines);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
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
    // Tabs mark the nesting depth; a view shows them as nothing, so they are spelled out.
    QString shown = line;
    shown.replace(QLatin1Char('\t'), QStringLiteral("    "));
    pending_.append(shown);
    if (!refresh_.isActive())
        refresh_.start();
}

void TraceViewWindow::showPendingLines() {
    if (pending_.size() > kMaxLines)
        pending_.remove(0, pending_.size() - kMaxLines);
    const int excess = model_.rowCount() + static_cast<int>(pending_.size()) - kMaxLines;
    if (excess > 0)
        model_.removeRows(0, excess);

    const QFontMetrics metrics(view_->font());
    const int first = model_.rowCount();
    model_.insertRows(first, static_cast<int>(pending_.size()));
    for (int i = 0; i < pending_.size(); ++i) {
        model_.setData(model_.index(first + i), pending_[i]);
        widest_ = std::max(widest_, metrics.horizontalAdvance(pending_[i]));
    }
    pending_.clear();

    view_->setColumnWidth(0, widest_ + 2 * metrics.averageCharWidth());
    const QModelIndex newest = model_.index(model_.rowCount() - 1);
    view_->setCurrentIndex(newest);
    view_->scrollTo(newest);
    updateStatus();
}

void TraceViewWindow::clearLines() {
    pending_.clear();
    model_.setStringList({});
    widest_ = 0;
    updateStatus();
}

void TraceViewWindow::updateStatus() {
    const QString where =
        listener_.name().isEmpty()
            ? tr("Not receiving: no free name in %1").arg(diag::traceSocketFolder())
            : tr("Receiving as \"%1\"").arg(listener_.name());
    status_->setText(tr("%1 - %n line(s)", nullptr, model_.rowCount()).arg(where));
}

} // namespace pelto::traceview
