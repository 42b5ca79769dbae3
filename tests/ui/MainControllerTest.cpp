// The main window's rules without widgets: option handlers, summary, action buttons and
// window placement.
#include "ui/main/MainController.h"
#include "platform/ProgramState.h"
#include "settings/Registry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <limits>
#include <random>

#include "platform/QSettingsBackend.h"

namespace pelto::ui {
namespace {

const QString kCrLf = "\r\n";

// The text after a label's first line break: its explanation.
QString explanation(const MainController& c, const char* label) {
    const QString caption = c.caption(QString::fromLatin1(label));
    return caption.mid(caption.indexOf(kCrLf) + 2);
}
QString heading(const MainController& c, const char* label) {
    const QString caption = c.caption(QString::fromLatin1(label));
    return caption.left(caption.indexOf(kCrLf));
}

// Choosing each option writes its label: a heading padded to its width, then the explanation.
TEST(MainController, OptionHandlersWriteLabelsAndSummary) {
    const std::tuple<const char*, const char*, const char*, int, const char*> cases[] = {
        {"optProd", "lblDebug", "Production mode:", 80, "Program shows the files and"},
        {"optTest", "lblDebug", "Test mode:", 76, "Program shows what files"},
        {"optRecurse", "lblRecursion", "Traverse Subdirectories:", 79, "Program will both copy"},
        {"optNoRecur", "lblRecursion", "No Subdirectories:", 88, "Program will only copy"},
        {"optCopy", "lblFileCopy", "Copy Files:", 81, "Files and directories will"},
        {"optSync", "lblFileCopy", "Synchronize Files:", 83, "Files and directories will"},
    };
    for (const auto& [option, label, headingText, width, explanationStart] : cases) {
        MainController c;
        c.select(QString::fromLatin1(option));
        EXPECT_EQ(heading(c, label), QString::fromLatin1(headingText).leftJustified(width));
        EXPECT_TRUE(explanation(c, label).startsWith(QString::fromLatin1(explanationStart)))
            << option;
    }
    MainController c;
    c.select("optProd");
    c.select("optNoRecur");
    c.select("optSync");
    EXPECT_EQ(c.caption("lblOptions"),
              "Production mode     No Subdirectories     Synchronize Files");
    g().gbExcludes = true;
    c.ShowOptions();
    EXPECT_EQ(c.caption("lblOptions"),
              "Production mode     Subdirectories varies     Synchronize Files");
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
        c.select("optCopy");
        for (const char* s = row.steps; *s; ++s) {
            const QString box = *s == 'a' ? "chkArchive" : "chkResetArc";
            if (*s == 's' || *s == 'c')
                c.select(*s == 's' ? "optSync" : "optCopy");
            else
                c.setChecked(box, !c.value(box));
        }
        EXPECT_EQ(c.value("chkArchive"), row.archive);
        EXPECT_EQ(c.value("chkResetArc"), row.reset);
        for (const char* name : {"chkArchive", "chkResetArc", "lblResetArc"})
            EXPECT_EQ(c.control(QString::fromLatin1(name)).enabled, row.enabled) << name;
        EXPECT_EQ(g().gbArchive, row.gbArchive);
        EXPECT_TRUE(c.caption("lblCopyArchive").endsWith(QString::fromLatin1(row.tail)));
    }
}

// The settings store in a folder of its own, section "Settings".
struct TempRegistry {
    TempRegistry() {
        reg.setApplicationName("Pelto");
        reg.setSection("Settings");
    }
    void save(const char* key, const char* value) {
        reg.setKey(QString::fromLatin1(key));
        reg.setSettings(QString::fromLatin1(value));
        reg.SaveReg();
    }
    QTemporaryDir dir;
    Registry reg{std::make_unique<QSettingsBackend>(dir.path())};
};

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
    reg.setKey("Instance1Left");
    reg.GetReg();
    EXPECT_EQ(reg.Settings(), "3000");
}

// Leaving out lines that cannot be the widest gives the extent that measuring every line gives:
// random lists of Latin-1 and wider other lines, at several list widths.
TEST(MainController, ScrollExtentSkipsOnlyLinesThatCannotBeTheWidest) {
    std::mt19937 random(7);
    const auto width = [](const QString& line) {
        int pixels = 0;
        for (const QChar c : line)
            pixels += c.unicode() < 0x100 ? 3 + c.unicode() % 7 : 30;
        return pixels;
    };
    // Exact for Latin-1 lines (ties with the measured width included), unknown for others.
    const auto bound = [&](const QString& line) {
        for (const QChar c : line)
            if (c.unicode() >= 0x100)
                return std::numeric_limits<double>::infinity();
        return double(width(line));
    };
    for (int round = 0; round < 200; ++round) {
        QStringList lines;
        for (int n = random() % 40; n > 0; --n) {
            QString line(static_cast<qsizetype>(random() % 120), QChar(u'a'));
            for (QChar& c : line)
                c = QChar(
                    static_cast<char16_t>(random() % 50 == 0 ? 0x4e00 : 0x20 + random() % 95));
            lines << line + QChar(0xa0);
        }
        const int listTwips = static_cast<int>(random() % 12000);
        for (const bool courier : {false, true}) {
            int measured = 0;
            const auto counting = [&](const QString& line) { return ++measured, width(line); };
            EXPECT_EQ(horizontalExtent(lines, listTwips, courier, 96, counting, bound),
                      horizontalExtent(lines, listTwips, courier, 96, width))
                << round;
            EXPECT_LE(measured, lines.size());
        }
    }
}

} // namespace
} // namespace pelto::ui
