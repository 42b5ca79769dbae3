#pragma once
// The trace viewer's window: the trace lines as they arrive, newest selected.

#include "diag/TraceChannel.h"

#include <QLabel>
#include <QStringList>
#include <QStringListModel>
#include <QTimer>
#include <QTreeView>
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
    void clearLines();
    void updateStatus();

    diag::TraceListener listener_;
    QStringListModel model_;
    // A one-column tree view with uniform rows is a list that stays quick at any length, and
    // its column can be as wide as the widest line so that long lines scroll sideways.
    QTreeView* view_;
    QLabel* status_;
    QStringList pending_;
    int widest_ = 0;
    // Painting every line would make the traced program wait for the screen; lines are shown
    // in batches a few times a second instead.
    QTimer refresh_;
};

} // namespace pelto::traceview
