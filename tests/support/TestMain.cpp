// Runs the tests inside a Qt application object (a QApplication with PELTO_TEST_GUI) on the
// offscreen platform; every test starts and ends with the program-wide state as at start.
#include "platform/ProgramState.h"

#include <gtest/gtest.h>

#ifdef PELTO_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {

class ProgramStateReset : public ::testing::EmptyTestEventListener {
    // Before the fixture is made and after it is gone: nothing a test installed outlives it.
    void OnTestStart(const ::testing::TestInfo&) override { pelto::resetProgramState(); }
    void OnTestEnd(const ::testing::TestInfo&) override { pelto::resetProgramState(); }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProgramStateReset);
    // Also when ctest's environment is missing, as while it lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
