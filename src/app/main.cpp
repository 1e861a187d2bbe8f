#include "app/commandline.h"
#include "app/game.h"
#include "app/platformchoice.h"
#include "app/wholescale.h"

#include <QApplication>

int main(int argc, char **argv)
{
    GameOptions options;
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv, options))
        return *exitCode;
    const std::optional<PlatformChoice> platform = choosePlatformForGame(argc, argv);
    if (!platform)
        return 1;
    chooseWholeScaleForGame(*platform);
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // The menu entry's name, which the desktop knows the game by on Wayland;
    // on X11 it goes by WM_CLASS, the program's name, the entry's StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral(MILTA_APP_ID));
    QApplication application(argc, argv);
    // Every pointer move onto a pad is a half-stride: moves that arrive
    // together must not be folded into the last one. Qt switches the folding
    // on while it builds the application object, so it is switched off after.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    Game game;
    game.chooseRaceByEar(options.raceByEar);
    return game.run();
}
