#include "app/game.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication application(argc, argv);
    Game game;
    return game.run();
}
