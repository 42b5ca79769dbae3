// Runs the tests inside a Qt application object, as the program runs, on the offscreen
// platform so that no test ever shows a window.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
