// The splash: what it shows, and the three ways it closes, driven without waiting.
#include "ui/widgets/SplashWindow.h"

#include "diag/Version.h"
#include "platform/Volumes.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace pelto::test {
namespace {

QString labelText(const QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}

TEST(SplashWindowTest, LegalNoticeIsCutAtTheFirstCharacterOfTheMarker) {
    const struct {
        QString notice;
        QString marker;
        QString shown;
    } cases[] = {
        {"Copyright (C) 2026 Pelto developers. All rights reserved. Really.", ". ",
         "Copyright (C) 2026 Pelto developers."},
        {"Copyright (C) 2026 Pelto developers", ". ", ""},
        {"(c) Pelto", "(C)", ""},
        {". at the start", ". ", "."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::cutAtMarker(c.notice, c.marker), c.shown) << c.notice.toStdString();
}

TEST(SplashWindowTest, ShowsTheVersionRecordAndTheSystemItRunsOn) {
    ui::SplashWindow splash;
    EXPECT_EQ(splash.objectName(), "frmSplash");
    EXPECT_EQ(labelText(splash, "lblVersion"), QStringLiteral("Version %1.%2.%3")
                                                   .arg(kVersion.major)
                                                   .arg(kVersion.minor)
                                                   .arg(kVersion.revision));
    EXPECT_EQ(labelText(splash, "lblProductName"), "Pelto");
    EXPECT_EQ(labelText(splash, "lblCompany"), kVersion.company);
    EXPECT_EQ(labelText(splash, "lblCopyright"), "Copyright (C) 2026 Pelto developers.");
    EXPECT_EQ(labelText(splash, "lblPlatform"), systemName());
    EXPECT_FALSE(labelText(splash, "lblWarning").isEmpty());
    const auto* logo = splash.findChild<QLabel*>("Image1");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->pixmap().width(), 256) << "the logo is compiled in";
}

// The timer (3000 ms, running from the start), a key, or a click on the frame or on a label
// inside it closes the splash; a splash shown with showFor deletes itself.
TEST(SplashWindowTest, ClosesOnItsTimerOnAKeyOrOnAClickOnItsFrame) {
    const std::function<void(ui::SplashWindow&)> closers[] = {
        [](ui::SplashWindow& s) { QMetaObject::invokeMethod(&s.closeTimer(), "timeout"); },
        [](ui::SplashWindow& s) { QTest::keyClick(&s, Qt::Key_Space); },
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
        ASSERT_TRUE(splash->isVisible());
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
