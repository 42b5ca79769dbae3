// pelto: the window program. Start-up is the main window's load; the program ends when the
// main window closes.
#include "ui/main/FrmPelto.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelto"));
    // Wayland shells match the window to its desktop entry (and icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("pelto"));
    pelto::ui::FrmPelto window;
    pelto::ui::FrmPelto::StartOptions options;
    options.splash = true;
    if (!window.Form_Load(options))
        return 1;
    window.show();
    return QApplication::exec();
}
