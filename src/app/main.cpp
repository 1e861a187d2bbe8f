#include "app/commandline.h"
#include "app/game.h"
#include "app/platformchoice.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    choosePlatformForGame(argc, argv);
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication application(argc, argv);
    Game game;
    return game.run();
}
