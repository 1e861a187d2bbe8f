#include "app/commandline.h"
#include "app/game.h"
#include "app/platformchoice.h"
#include "app/wholescale.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    chooseWholeScaleForGame(choosePlatformForGame(argc, argv));
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    // The menu entry's name, which the desktop knows the game by on Wayland;
    // on X11 it goes by WM_CLASS, the program's name, the entry's StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral(MILTA_APP_ID));
    QApplication application(argc, argv);
    Game game;
    return game.run();
}
