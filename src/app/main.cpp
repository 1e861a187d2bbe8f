#include "app/commandline.h"
#include "app/game.h"
#include "app/platformchoice.h"

#include <QApplication>

int main(int argc, char **argv)
{
    GameOptions options;
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv, options))
        return *exitCode;
    choosePlatformForGame(argc, argv);
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // The menu entry's name, which the desktop knows the game by on Wayland;
    // on X11 it goes by WM_CLASS, the program's name, the entry's StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral(MILTA_APP_ID));
    QApplication application(argc, argv);
    Game game;
    game.chooseRaceByEar(options.raceByEar);
    return game.run();
}
