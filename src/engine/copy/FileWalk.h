#pragma once
// The loop the copy and the archive reset share over their file items (the lines of lstSrcFile,
// or the files of one folder).

#include "engine/compare/DisplayRefresh.h"
#include "engine/compare/MainForm.h"
#include "engine/copy/FileItems.h"
#include "platform/ProgramState.h"

namespace pelto::filewalk {

// What reading one item found.
enum class Item { Header, PassOver, Take };

// Walks the items: refreshes the display when due, lets `run` start the item, selects every
// `selectEvery`-th line of a listed walk, and reads the item under `trap` together with
// `run.passOver()` (a file the rules leave alone). A passed-over file goes to `run.passedOver()`;
// the others to `run.take()` unless the walk is a test. A skipped or ignored read goes on with
// the next item. True at the end or on cancel; false when a read or `run.take()` ended the walk.
template <typename Trap, typename Run>
bool walk(FileItems& items, MainForm& af, bool listCase, qsizetype selectEvery, const Trap& trap,
          Run& run) {
    const bool test = af.optTest();
    const qsizetype last = items.count() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        RefreshDisplayIfDue(af);
        run.startItem(i);
        if (listCase && i % selectEvery == 0)
            af.lstSrcFile().setSelectedIndex(i);
        const auto read = trap([&] {
            if (!items.read(i))
                return Item::Header;
            return run.passOver() ? Item::PassOver : Item::Take;
        });
        if (!read && !read.skipped())
            return false;
        switch (read.valueOr(Item::Header)) {
        case Item::Header:
            continue;
        case Item::PassOver:
            run.passedOver();
            continue;
        case Item::Take:
            break;
        }
        if (test)
            continue;
        if (g().gbCancel)
            return true;
        if (!run.take())
            return false;
    }
    return true;
}

} // namespace pelto::filewalk
