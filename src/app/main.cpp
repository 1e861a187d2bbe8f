#include "app/tapplication.h"

int main(int argc, char **argv)
{
    // Whole-pixel scaling keeps the pixel art crisp on a high-density screen.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    TApplication application(argc, argv);
    return application.run();
}
