// Runs the tests inside a Qt application object, as the program runs, on the offscreen
// platform so that no test ever shows a window. Test programs built with PELTO_TEST_GUI get a
// QApplication, so that their tests can build widgets and boxes.
#include <gtest/gtest.h>

#ifdef PELTO_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Also when ctest's environment is missing, as while it lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
