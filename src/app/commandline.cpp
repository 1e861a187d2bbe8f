#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The options QGuiApplication and QApplication take for themselves.
const char *const QtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                          "qmljsdebugger", "qwindowgeometry", "qwindowicon", "qwindowtitle",
                                          "session", "display", "geometry", "style", "stylesheet"};
const char *const QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char **argv, GameOptions &options)
{
    const std::optional<int> start = std::getenv("MILTA_CHECK_COMMAND_LINE") ? std::optional(0) : std::nullopt;
    // A plain start, the player's: no application object made and unmade
    // before the game's own.
    if (argc <= 1)
        return start;
    // The usage line names the program as the player calls it, not by the
    // path the launcher starts it by.
    std::string name = std::filesystem::path(argv[0]).filename();
    std::vector<char *> arguments(argv, argv + argc);
    arguments[0] = name.data();
    const QCoreApplication commandLine(argc, arguments.data());
    QCoreApplication::setApplicationVersion(QStringLiteral(MILTA_VERSION));

    QCommandLineParser parser;
    // Qt's options are written with one dash: "-style fusion".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "ミルタ100ｍ走: a 100-metre dash. Sweep the mouse pointer back and forth across the red and the blue\n"
        "pad to run. The ranking (rank.mlt) and the tunes (100m.mid, goal.mid) are kept in the working directory."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption raceByEar(
        QStringLiteral("race-by-ear"),
        QStringLiteral("Run the race by ear: a sound for each stride, the quarters of the way spoken by the screen "
                       "reader. On by itself while a screen reader runs; F4 turns it on and off, F3 reads the clock."));
    parser.addOption(raceByEar);
    for (const char *name : QtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : QtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, QStringLiteral("%1: %2\n").arg(QCoreApplication::applicationName(), parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                     QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("%1: the game takes no file or other argument: %2\n")
                          .arg(QCoreApplication::applicationName(), parser.positionalArguments().join(' ')));
        return 2;
    }
    options.raceByEar = parser.isSet(raceByEar);
    return start;
}
