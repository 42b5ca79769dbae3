#pragma once
// How the engines see the main window: the options they read when they need them (the user may
// change an option while a walk pumps events), the lists they write and read, and the two calls
// that keep the window alive during long work. The window program implements it with real
// controls; HeadlessMainForm serves tests, benchmarks and the command-line front end.
//
// Option buttons come in pairs of which exactly one is selected, so each pair is one value here.

#include "engine/compare/ResultList.h"

namespace pelto {

class MainForm {
public:
    virtual ~MainForm() = default;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Test mode (only show what would happen) or production mode.
    virtual bool optTest() const = 0;
    bool optProd() const { return !optTest(); }
    // Walk all subfolders, or only the top folder.
    virtual bool optRecurse() const = 0;
    bool optNoRecur() const { return !optRecurse(); }
    // A profile line's subfolder word sets the pair of option buttons before its walk.
    virtual void setOptRecurse(bool on) = 0;
    // Copy and delete so that the destination mirrors the source, or copy only.
    virtual bool optSync() const = 0;
    bool optCopy() const { return !optSync(); }
    // Process only source files whose archive attribute is set.
    virtual bool chkArchive() const = 0;
    // Clear the archive attribute of copied files at the end.
    virtual bool chkResetArc() const = 0;

    // Result lists; line formats are those the comparison writes.
    ResultList& lstSrcFolder() { return lstSrcFolder_; }
    ResultList& lstDstFolder() { return lstDstFolder_; }
    ResultList& lstSrcFile() { return lstSrcFile_; }
    ResultList& lstDstFile() { return lstDstFile_; }
    ResultList& lstSrcFolder2() { return lstSrcFolder2_; }
    ResultList& lstDstFolder2() { return lstDstFolder2_; }
    ResultList& lstSrcFile2() { return lstSrcFile2_; }
    ResultList& lstDstFile2() { return lstDstFile2_; }
    // The "Processing Directory" list, shown in a fixed-pitch font.
    ResultList& lstShowDirs() { return lstShowDirs_; }

    // Records a folder the copy created under a profile in the profile history (the window
    // wires the history in; the engine layers cannot reach it). False when that failed and the
    // failure was reported.
    virtual bool StoreFolderProfile(const QString& asFolder) {
        Q_UNUSED(asFolder);
        return true;
    }

    // Repaints the window at once.
    virtual void Refresh() = 0;
    // Lets pending window events run (a click on Cancel, an option change).
    virtual void DoEvents() = 0;

protected:
    MainForm() { lstShowDirs_.setFontName(QStringLiteral("Courier")); }

    // Publishes the lines added since the last refresh to the views of every list.
    void publishLists() {
        for (ResultList* list :
             {&lstSrcFolder_, &lstDstFolder_, &lstSrcFile_, &lstDstFile_, &lstSrcFolder2_,
              &lstDstFolder2_, &lstSrcFile2_, &lstDstFile2_, &lstShowDirs_})
            list->publish();
    }

private:
    ResultList lstSrcFolder_;
    ResultList lstDstFolder_;
    ResultList lstSrcFile_;
    ResultList lstDstFile_;
    ResultList lstSrcFolder2_;
    ResultList lstDstFolder2_;
    ResultList lstSrcFile2_;
    ResultList lstDstFile2_;
    ResultList lstShowDirs_;
};

} // namespace pelto
