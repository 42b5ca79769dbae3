#include "cli/CliOptions.h"

#include <optional>

namespace pelto::cli {
namespace {

std::optional<Command> commandOf(const QString& word) {
    if (word == QLatin1StringView("check"))
        return Command::Check;
    if (word == QLatin1StringView("copy"))
        return Command::Copy;
    if (word == QLatin1StringView("sync"))
        return Command::Sync;
    return std::nullopt;
}

// Reads the arguments one by one; the first problem found ends the parse.
class Parser {
public:
    explicit Parser(const QStringList& arguments) : args_(arguments) {}

    ParseResult parse() {
        ParseResult result;
        bool optionsEnded = false;
        for (index_ = 0; index_ < args_.size() && error_.isEmpty(); ++index_) {
            const QString& arg = args_[index_];
            if (!optionsEnded && arg == QLatin1StringView("--")) {
                optionsEnded = true;
            } else if (!optionsEnded &&
                       (arg == QLatin1StringView("--help") || arg == QLatin1StringView("-h"))) {
                result.kind = ParseResult::Kind::Help;
                return result;
            } else if (!optionsEnded && arg == QLatin1StringView("--version")) {
                result.kind = ParseResult::Kind::Version;
                return result;
            } else if (!optionsEnded && arg.startsWith(u'-') && arg.size() > 1) {
                option(arg);
            } else {
                positionals_.append(arg);
            }
        }
        if (error_.isEmpty())
            assemble();
        if (!error_.isEmpty()) {
            result.error = error_;
            return result;
        }
        result.kind = ParseResult::Kind::Run;
        result.options = options_;
        return result;
    }

private:
    void fail(const QString& problem) {
        if (error_.isEmpty())
            error_ = problem;
    }

    // The value of an option written "--name=value" or "--name value".
    std::optional<QString> value(const QString& name, const QString& arg) {
        QString text;
        if (arg.size() > name.size()) {
            text = arg.mid(name.size() + 1);
        } else if (index_ + 1 < args_.size()) {
            text = args_[++index_];
        } else {
            fail(name + QStringLiteral(" needs a value"));
            return std::nullopt;
        }
        if (text.isEmpty()) {
            fail(name + QStringLiteral(" needs a value"));
            return std::nullopt;
        }
        return text;
    }

    static bool is(const QString& arg, QLatin1StringView name) {
        return arg == name ||
               (arg.startsWith(name) && arg.size() > name.size() && arg[name.size()] == u'=');
    }

    void flag(const QString& arg, QLatin1StringView name, bool& target) {
        if (arg != name)
            fail(QStringLiteral("option ") + QString(name) + QStringLiteral(" takes no value"));
        target = true;
    }

    void option(const QString& arg) {
        if (is(arg, QLatin1StringView("--profile"))) {
            if (const auto v = value(QStringLiteral("--profile"), arg))
                options_.profile = *v;
        } else if (is(arg, QLatin1StringView("--ini"))) {
            if (const auto v = value(QStringLiteral("--ini"), arg))
                options_.iniFile = *v;
        } else if (is(arg, QLatin1StringView("--on-error"))) {
            if (const auto v = value(QStringLiteral("--on-error"), arg)) {
                if (*v == QLatin1StringView("ignore"))
                    options_.ignoreErrors = true;
                else if (*v == QLatin1StringView("abort"))
                    options_.ignoreErrors = false;
                else
                    fail(QStringLiteral("--on-error takes abort or ignore, not '") + *v +
                         QStringLiteral("'"));
            }
        } else if (is(arg, QLatin1StringView("--production"))) {
            flag(arg, QLatin1StringView("--production"), options_.production);
        } else if (is(arg, QLatin1StringView("--no-subdirs"))) {
            flag(arg, QLatin1StringView("--no-subdirs"), options_.noSubdirs);
        } else if (is(arg, QLatin1StringView("--archive"))) {
            flag(arg, QLatin1StringView("--archive"), options_.archive);
        } else if (is(arg, QLatin1StringView("--reset-archive"))) {
            flag(arg, QLatin1StringView("--reset-archive"), options_.resetArchive);
        } else if (is(arg, QLatin1StringView("--quiet"))) {
            flag(arg, QLatin1StringView("--quiet"), options_.quiet);
        } else if (is(arg, QLatin1StringView("--yes"))) {
            flag(arg, QLatin1StringView("--yes"), options_.yes);
        } else {
            fail(QStringLiteral("unknown option '") + arg + QStringLiteral("'"));
        }
    }

    // The command and the folders from the words that are not options, then the combinations
    // that make no sense.
    void assemble() {
        if (positionals_.isEmpty()) {
            fail(QStringLiteral("no command given: use check, copy or sync"));
            return;
        }
        const auto command = commandOf(positionals_.first());
        if (!command) {
            fail(QStringLiteral("unknown command '") + positionals_.first() +
                 QStringLiteral("': use check, copy or sync"));
            return;
        }
        options_.command = *command;
        const QStringList folders = positionals_.mid(1);
        const QString name = commandName(*command);

        if (options_.usesProfile()) {
            if (!folders.isEmpty())
                fail(QStringLiteral("give either SRC DST or --profile NAME, not both (unexpected "
                                    "argument '") +
                     folders.first() + QStringLiteral("')"));
            else if (options_.noSubdirs)
                fail(QStringLiteral("--no-subdirs cannot be used with --profile: each profile "
                                    "line says whether its subfolders are included"));
        } else {
            if (!options_.iniFile.isEmpty())
                fail(QStringLiteral("--ini needs --profile NAME"));
            else if (folders.size() < 2)
                fail(name + QStringLiteral(" needs a source and a destination folder, or "
                                           "--profile NAME"));
            else if (folders.size() > 2)
                fail(QStringLiteral("unexpected argument '") + folders[2] + QStringLiteral("'"));
            else if (folders[0].isEmpty() || folders[1].isEmpty())
                fail(QStringLiteral("a folder name is empty"));
            else {
                options_.source = folders[0];
                options_.destination = folders[1];
            }
        }

        if (options_.archive && *command == Command::Sync)
            fail(QStringLiteral("--archive works with check and copy, not with sync"));
        else if (options_.resetArchive && *command != Command::Copy)
            fail(QStringLiteral("--reset-archive works only with copy"));
        else if (options_.resetArchive && !options_.archive)
            fail(QStringLiteral("--reset-archive needs --archive"));
    }

    const QStringList& args_;
    qsizetype index_ = 0;
    QStringList positionals_;
    CliOptions options_;
    QString error_;
};

} // namespace

ParseResult parseArguments(const QStringList& arguments) {
    return Parser(arguments).parse();
}

QString commandName(Command command) {
    switch (command) {
    case Command::Check:
        return QStringLiteral("check");
    case Command::Copy:
        return QStringLiteral("copy");
    case Command::Sync:
        return QStringLiteral("sync");
    }
    return {};
}

} // namespace pelto::cli
