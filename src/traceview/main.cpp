// pelto-traceview: shows the procedure trace of a running Pelto. Start it before Pelto; the
// program decides at its first traced call whether a viewer is there.
#include "TraceViewWindow.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelto-traceview"));

    pelto::traceview::TraceViewWindow window;
    if (!window.startListening()) {
        QMessageBox::critical(nullptr, QString::fromLatin1(pelto::diag::kTraceViewName),
                              QStringLiteral("No trace receiver could be opened in %1.")
                                  .arg(pelto::diag::traceSocketFolder()));
        return 1;
    }
    window.show();
    return QApplication::exec();
}
