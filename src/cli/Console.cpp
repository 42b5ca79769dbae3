#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>

namespace pelto::cli {
namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

Console::Console(std::FILE* out, std::FILE* err, bool progress)
    : out_(out), err_(err), progress_(progress) {}

Console::~Console() {
    clearProgress();
    std::fflush(out_);
}

void Console::line(const QString& text) {
    clearProgress();
    write(out_, text);
    std::fputc('\n', out_);
}

void Console::problem(const QString& text) {
    clearProgress();
    // Results written so far come first, so that a terminal shows both in the order they arose.
    std::fflush(out_);
    QString message = text;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.replace(u'\r', u'\n');
    while (message.startsWith(u'\n'))
        message.remove(0, 1);
    while (message.endsWith(u'\n'))
        message.chop(1);
    write(err_, message);
    std::fputc('\n', err_);
    std::fflush(err_);
}

void Console::progress(const QString& text) {
    if (!progress_)
        return;
    std::fflush(out_);
    // Carriage return, the text, then erase to the end of the line.
    write(err_, QStringLiteral("\r") + text + QStringLiteral("\x1b[K"));
    std::fflush(err_);
    progressShown_ = true;
}

void Console::clearProgress() {
    if (!progressShown_)
        return;
    std::fputs("\r\x1b[K", err_);
    std::fflush(err_);
    progressShown_ = false;
}

int Console::width() const {
    winsize size{};
    if (::ioctl(::fileno(err_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

bool Console::stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace pelto::cli
