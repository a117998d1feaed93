#include "gui/shell/command_line.h"

namespace zirvo::gui {

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine result;
    auto fail = [&result](const QString& error) {
        result.action = CommandLine::Action::UsageError;
        result.error = error;
        return result;
    };
    bool rootSeen = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                result.action = CommandLine::Action::Help;
                return result;
            }
            if (arg == QLatin1String("--version")) {
                result.action = CommandLine::Action::Version;
                return result;
            }
            QString value;
            if (arg == QLatin1String("--root")) {
                if (i + 1 >= arguments.size()) {
                    return fail(QStringLiteral("--root needs a folder"));
                }
                value = arguments.at(++i);
            } else if (arg.startsWith(QLatin1String("--root="))) {
                value = arg.mid(7);
            } else {
                return fail(QStringLiteral("unknown option '%1'").arg(arg));
            }
            if (value.trimmed().isEmpty()) {
                return fail(QStringLiteral("--root needs a folder"));
            }
            if (rootSeen) {
                return fail(QStringLiteral("--root given twice"));
            }
            rootSeen = true;
            result.root = value;
            continue;
        }
        if (!result.url.isEmpty()) {
            return fail(
                QStringLiteral("more than one address: '%1' and '%2'").arg(result.url, arg));
        }
        if (arg.trimmed().isEmpty()) {
            return fail(QStringLiteral("empty address"));
        }
        result.url = arg;
    }
    return result;
}

QString UsageText() {
    return QStringLiteral(
        "usage: zirvo [--root DIR] [URL]\n"
        "\n"
        "Starts the feed reader on the data root DIR (default: $ZIRVO_HOME, else\n"
        "$XDG_DATA_HOME/zirvo). With URL (a feed address or a qova: link), hands the address\n"
        "to the running instance, which opens the new-subscription dialog.\n"
        "\n"
        "options:\n"
        "  --root DIR   use DIR as the data root\n"
        "  --help       show this text\n"
        "  --version    show the version\n"
        "\n"
        "examples:\n"
        "  zirvo\n"
        "  zirvo --root ~/feeds-test\n"
        "  zirvo https://example.org/feed.xml\n");
}

}  // namespace zirvo::gui
