// The splash: what it shows, and the three ways it closes, driven without waiting.
#include "ui/widgets/SplashWindow.h"

#include "platform/Volumes.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

TEST(SplashWindowTest, ShowsTheLegalNoticeTheSystemAndTheLogo) {
    ui::SplashWindow splash;
    const auto text = [&](const char* name) { return splash.findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(text("lblCopyright"), "Copyright (C) 2026 Pelto developers.");
    EXPECT_EQ(text("lblPlatform"), systemName());
    EXPECT_EQ(splash.findChild<QLabel*>("Image1")->pixmap().width(), 256) << "logo compiled in";
}

// The timer (3000 ms, running from the start), a key, or a click on the frame or on a label
// inside it closes the splash; a splash shown with showFor deletes itself.
TEST(SplashWindowTest, ClosesOnItsTimerOnAKeyOrOnAClickOnItsFrame) {
    const std::function<void(ui::SplashWindow&)> closers[] = {
        [](ui::SplashWindow& s) { QMetaObject::invokeMethod(&s.closeTimer(), "timeout"); },
        [](ui::SplashWindow& s) { QTest::keyClick(&s, Qt::Key_A); },
        [](ui::SplashWindow& s) {
            QTest::mouseClick(s.findChild<QFrame*>("Frame1"), Qt::LeftButton, {}, QPoint(3, 3));
        },
        [](ui::SplashWindow& s) {
            QTest::mouseClick(s.findChild<QLabel*>("lblVersion"), Qt::LeftButton);
        },
    };
    for (const auto& close : closers) {
        QPointer<ui::SplashWindow> splash = ui::SplashWindow::showFor(nullptr);
        EXPECT_TRUE(splash->closeTimer().isActive());
        EXPECT_EQ(splash->closeTimer().interval(), 3000);
        close(*splash);
        ASSERT_FALSE(splash.isNull());
        EXPECT_FALSE(splash->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(splash.isNull());
    }
}

} // namespace
} // namespace pelto::test
