#pragma once
// The trace viewer's window: the trace lines as they arrive, newest selected.

#include "diag/TraceChannel.h"

#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace pelto::traceview {

class TraceViewWindow : public QWidget {
    Q_OBJECT
public:
    explicit TraceViewWindow(QWidget* parent = nullptr);

    // Starts receiving; false when no receiver name is free.
    bool startListening();
    // Takes a line at once (so the traced program goes on) and shows it with the next refresh.
    void addLine(const QString& line);

private:
    void showPendingLines();
    void updateStatus();

    diag::TraceListener listener_;
    QListWidget* lines_;
    QLabel* status_;
    QStringList pending_;
    // Painting every line would make the traced program wait for the screen; lines are shown
    // in batches a few times a second instead.
    QTimer refresh_;
};

} // namespace pelto::traceview
