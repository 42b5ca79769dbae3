#pragma once
// The Help menu's About window: the program's title, version, what it is for, the folder it runs
// from, its maker and legal notice, and a button that starts the system's information program
// where one is installed.

#include <QDialog>
#include <memory>

namespace Ui {
class AboutWindow;
}

namespace pelto::ui {

// "Version " + major.minor.revision of the version record.
QString versionLine();

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
    ~AboutWindow() override;

    // Starts the first system-information program found on `folders` (the PATH when empty), or
    // says that there is none.
    void StartSysInfo(const QStringList& folders = {});

private:
    std::unique_ptr<Ui::AboutWindow> ui_;
};

} // namespace pelto::ui
