// The main window's rules without widgets: option handlers, summary, pages, action buttons and
// window placement.
#include "ui/main/MainController.h"
#include "platform/ProgramState.h"
#include "settings/Registry.h"
#include "ui/common/Twips.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "platform/QSettingsBackend.h"

namespace pelto::ui {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The text after a label's first line break: its explanation.
QString explanation(const MainController& c, const char* label) {
    const QString caption = c.caption(QString::fromLatin1(label));
    return caption.mid(caption.indexOf(kCrLf) + 2);
}
QString heading(const MainController& c, const char* label) {
    const QString caption = c.caption(QString::fromLatin1(label));
    return caption.left(caption.indexOf(kCrLf));
}

struct OptionCase {
    const char* name;
    std::function<void(MainController&)> act;
    const char* label;
    const char* headingText;
    int headingLength;
    const char* explanationStart;
};

TEST(MainController, OptionHandlersWriteLabelsAndSummary) {
    const auto sel = [](const char* n) {
        return [n](MainController& c) { c.select(QString::fromLatin1(n)); };
    };
    const OptionCase cases[] = {
        {"prod", sel("optProd"), "lblDebug", "Production mode:", 80, "Program shows the files and"},
        {"test", sel("optTest"), "lblDebug", "Test mode:", 76, "Program shows what files"},
        {"recurse", sel("optRecurse"), "lblRecursion", "Traverse Subdirectories:", 79,
         "Program will both copy"},
        {"norecur", sel("optNoRecur"), "lblRecursion", "No Subdirectories:", 88,
         "Program will only copy"},
        {"copy", sel("optCopy"), "lblFileCopy", "Copy Files:", 81, "Files and directories will"},
        {"sync", sel("optSync"), "lblFileCopy", "Synchronize Files:", 83,
         "Files and directories will"},
    };
    for (const OptionCase& t : cases) {
        SCOPED_TRACE(t.name);
        MainController c;
        t.act(c);
        EXPECT_EQ(heading(c, t.label),
                  QString::fromLatin1(t.headingText).leftJustified(t.headingLength));
        EXPECT_TRUE(explanation(c, t.label).startsWith(QString::fromLatin1(t.explanationStart)));
    }
    MainController c;
    c.select(QStringLiteral("optProd"));
    c.select(QStringLiteral("optNoRecur"));
    c.select(QStringLiteral("optSync"));
    EXPECT_EQ(c.caption(QStringLiteral("lblOptions")),
              QStringLiteral("Production mode     No Subdirectories     Synchronize Files"));
    g().gbExcludes = true;
    c.ShowOptions();
    EXPECT_EQ(c.caption(QStringLiteral("lblOptions")),
              QStringLiteral("Production mode     Subdirectories varies     Synchronize Files"));
}

TEST(MainController, ArchiveOptionsFollowCopyMode) {
    struct Row {
        const char* steps; // a: toggle chkArchive, r: toggle chkResetArc, s: optSync, c: optCopy
        bool archive, reset, enabled, gbArchive;
        const char* tail;
    };
    const Row rows[] = {
        {"a", true, true, true, true, "off automatically for the copied files."},
        {"ar", true, false, true, true, "\r\n WARNING - this option should normally be selected!"},
        {"aa", false, false, true, false, "This speeds up the copying."},
        {"as", true, true, false, false, "ALL files must be processed for synchronizing."},
        {"asc", true, true, true, true, "off automatically for the copied files."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.steps);
        resetProgramState();
        MainController c;
        c.select(QStringLiteral("optCopy"));
        for (const char* s = row.steps; *s; ++s) {
            const QString box =
                *s == 'a' ? QStringLiteral("chkArchive") : QStringLiteral("chkResetArc");
            if (*s == 's' || *s == 'c')
                c.select(*s == 's' ? QStringLiteral("optSync") : QStringLiteral("optCopy"));
            else
                c.setChecked(box, !c.value(box));
        }
        EXPECT_EQ(c.value(QStringLiteral("chkArchive")), row.archive);
        EXPECT_EQ(c.value(QStringLiteral("chkResetArc")), row.reset);
        for (const char* name : {"chkArchive", "chkResetArc", "lblResetArc"})
            EXPECT_EQ(c.control(QString::fromLatin1(name)).enabled, row.enabled) << name;
        EXPECT_EQ(g().gbArchive, row.gbArchive);
        EXPECT_TRUE(
            c.caption(QStringLiteral("lblCopyArchive")).endsWith(QString::fromLatin1(row.tail)));
    }
}

TEST(MainController, UpdateFrequencyAndRepeatCount) {
    MainController c;
    for (const auto& [text, seconds] :
         {std::pair{"", 1}, {"0", 1}, {"15", 15}, {"99999", 15}, {"7", 7}}) {
        c.setText(QStringLiteral("txtUpdateFrequency"), QString::fromLatin1(text));
        EXPECT_EQ(g().giUpdateFrequency, seconds) << text;
    }
    for (const auto& [typed, shown] : {std::pair{"21", "20"}, {"20", "20"}, {"-5", "-5"}}) {
        c.setText(QStringLiteral("txtRepeatCount"), QString::fromLatin1(typed));
        EXPECT_EQ(c.caption(QStringLiteral("txtRepeatCount")), QString::fromLatin1(shown));
    }
}

TEST(MainController, ActionButtonsAroundCheckAndCopy) {
    struct Row {
        bool test, sync;
        const char* shownCopy;
        const char* caption;
        bool enabled;
    };
    for (const Row& row : {Row{true, false, "cmdCopy", "TEST MODE", false},
                           Row{false, false, "cmdCopy", "C&opy files", true},
                           Row{false, true, "cmdCopyDelete", "C&opy / Delete files", true}}) {
        MainController c;
        c.select(row.test ? QStringLiteral("optTest") : QStringLiteral("optProd"));
        c.select(row.sync ? QStringLiteral("optSync") : QStringLiteral("optCopy"));
        c.checkStarted();
        EXPECT_EQ(c.control(QStringLiteral("cmdCancel")).left,
                  c.control(QStringLiteral("cmdCheck")).left);
        EXPECT_FALSE(MainController::mayStartAction());
        c.checkEnded(false);
        EXPECT_TRUE(MainController::mayStartAction());
        const ControlState& copy = c.control(QString::fromLatin1(row.shownCopy));
        EXPECT_TRUE(copy.visible);
        EXPECT_EQ(copy.left, MainController::kCopyLeft);
        EXPECT_EQ(copy.caption, QString::fromLatin1(row.caption));
        EXPECT_EQ(copy.enabled, row.enabled);
        EXPECT_EQ(c.control(QStringLiteral("cmdCancel")).left, MainController::kCancelLeft);
        EXPECT_FALSE(c.control(QStringLiteral("cmdExit")).visible);
        EXPECT_EQ(c.tab(), MainController::kResultsTab);
        EXPECT_EQ(c.caption(QStringLiteral("lblDstFile")).endsWith(QStringLiteral("deleted!")),
                  row.sync);
        // Any mode change invalidates the check.
        c.select(QStringLiteral("optRecurse"));
        EXPECT_FALSE(c.control(QString::fromLatin1(row.shownCopy)).enabled);
        c.selectTab(1);
        EXPECT_FALSE(c.control(QStringLiteral("cmdCancel")).visible);
        c.copyEnded(true);
        EXPECT_EQ(c.control(QStringLiteral("cmdExit")).left, MainController::kCopyLeft);
        EXPECT_EQ(c.control(QStringLiteral("cmdAgain")).left, MainController::kCancelLeft);
        EXPECT_TRUE(c.control(QStringLiteral("cmdResetArc")).visible);
    }
}

TEST(MainController, OptionPagesWrapAndStayPutDuringAnAction) {
    MainController c;
    c.SetTabStrip(3);
    for (int page = 1; page <= MainController::kPageCount; ++page) {
        const ControlState& frame =
            c.control(QStringLiteral("fraOptions_") + QString::number(page));
        EXPECT_EQ(frame.left, page == 3 ? MainController::kPageLeft : MainController::kPageAway);
        EXPECT_EQ(frame.enabled, page == 3);
    }
    for (const auto& [from, forward, to] :
         {std::tuple{4, true, 1}, {1, false, 4}, {2, true, 3}, {3, false, 2}}) {
        c.SetTabStrip(from);
        c.switchOptionPage(forward);
        EXPECT_EQ(c.optionPage(), to);
    }
    g().gsAction = QStringLiteral("copy");
    c.switchOptionPage(true);
    EXPECT_EQ(c.optionPage(), 2);
}

// The settings store in a folder of its own, section "Settings".
struct TempRegistry {
    TempRegistry() {
        reg.setApplicationName(QStringLiteral("Pelto"));
        reg.setSection(QStringLiteral("Settings"));
    }
    void save(const char* key, const char* value) {
        reg.setKey(QString::fromLatin1(key));
        reg.setSettings(QString::fromLatin1(value));
        reg.SaveReg();
    }
    QTemporaryDir dir;
    Registry reg{std::make_unique<QSettingsBackend>(dir.path())};
};

TEST(MainController, RestoredRepeatFieldsShowOnlyOneToNineteen) {
    TempRegistry store;
    for (const auto& [stored, shown] :
         {std::pair{"20", "0"}, {"0", "0"}, {"ten", "0"}, {"19", "19"}, {"1", "1"}}) {
        store.save("RepeatCount", stored);
        store.save("RepeatFreq", stored);
        MainController c;
        c.restoreSound(store.reg, QString(), [](const QString&) { return false; });
        EXPECT_EQ(c.caption(QStringLiteral("txtRepeatCount")), QString::fromLatin1(shown))
            << stored;
        EXPECT_EQ(c.caption(QStringLiteral("txtRepeatFreq")), QString::fromLatin1(shown)) << stored;
    }
}

TEST(MainController, WindowPlacement) {
    TempRegistry store;
    Registry& reg = store.reg;
    MainController c;
    c.countInstance(reg, false);
    const QRect designed(1200, 900, 9000, 7000);
    const QList<QRect> screens{QRect(0, 0, 28800, 16200)};
    struct Row {
        QPoint saved;
        QPoint restored;
    };
    for (const Row& row : {Row{{3000, 1500}, {3000, 1500}}, Row{{0, 1500}, {1200, 1500}},
                           Row{{3000, -15}, {3000, 900}}, Row{{40000, 1500}, {1200, 900}},
                           Row{{3000, 16100}, {1200, 900}}}) {
        c.savePosition(reg, row.saved);
        EXPECT_EQ(c.restoredPosition(reg, designed, screens), row.restored) << row.saved.x();
    }
    reg.setKey(QStringLiteral("Instance1Left"));
    reg.GetReg();
    EXPECT_EQ(reg.Settings(), QStringLiteral("3000"));
    EXPECT_EQ(twipsToPixels(3000, 96), 200);
    EXPECT_EQ(pixelsToTwips(200, 144), 2000);
}

} // namespace
} // namespace pelto::ui
