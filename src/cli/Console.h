#pragma once
// Where pelto-cli writes: results to standard output, problems to standard error, and, when
// standard error is a terminal, a one-line progress display that problems push aside (the line is
// cleared before a problem is written and drawn again at the next update).

#include <QString>
#include <cstdio>

namespace pelto::cli {

class Console {
public:
    // progress: whether the progress line may be drawn (a terminal, and not --quiet).
    Console(std::FILE* out, std::FILE* err, bool progress);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    ~Console();

    // One line of results.
    void line(const QString& text);
    // A problem or notice; CR LF and LF both end lines, leading line breaks are dropped.
    void problem(const QString& text);
    // Replaces the progress line (nothing when progress is off).
    void progress(const QString& text);
    void clearProgress();

    bool progressEnabled() const { return progress_; }
    // Columns of the terminal standard error writes to (80 when unknown).
    int width() const;

    // Whether standard error is a terminal.
    static bool stderrIsTerminal();

private:
    std::FILE* out_;
    std::FILE* err_;
    bool progress_;
    bool progressShown_ = false;
};

} // namespace pelto::cli
