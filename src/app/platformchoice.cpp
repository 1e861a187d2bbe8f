#include "app/platformchoice.h"

#include <QLoggingCategory>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

Q_LOGGING_CATEGORY(platformLog, "milta100m.platform", QtCriticalMsg)

bool isSet(const char *variable)
{
    return variable && *variable;
}

// The -platform option as Qt reads it: "-platform NAME" or "--platform NAME".
bool hasPlatformOption(const std::vector<std::string> &arguments)
{
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-platform" || arguments[i] == "--platform")
            return true;
    }
    return false;
}

bool xServerAnswersOnDisplay()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

} // namespace

PlatformChoice choosePlatform(const std::vector<std::string> &arguments, const char *qpaPlatform,
                              const char *display, const char *waylandDisplay,
                              const std::function<bool()> &xServerAnswers)
{
    if (hasPlatformOption(arguments))
        return {"", "the player's -platform option"};
    if (isSet(qpaPlatform))
        return {"", "the player's QT_QPA_PLATFORM=" + std::string(qpaPlatform)};
    std::string noX = "DISPLAY is not set";
    if (isSet(display)) {
        if (xServerAnswers())
            return {"xcb", "an X server answers on DISPLAY=" + std::string(display)};
        noX = "no X server answers on DISPLAY=" + std::string(display);
    }
    if (isSet(waylandDisplay))
        return {"wayland", noX + ", a Wayland compositor is on WAYLAND_DISPLAY=" + waylandDisplay};
    return {"", noX + ", WAYLAND_DISPLAY is not set"};
}

void choosePlatformForGame(int argc, char **argv)
{
    const PlatformChoice choice = choosePlatform(std::vector<std::string>(argv, argv + argc),
                                                 std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                                 std::getenv("WAYLAND_DISPLAY"), xServerAnswersOnDisplay);
    if (!choice.platform.empty())
        qputenv("QT_QPA_PLATFORM", choice.platform.c_str());
    qCInfo(platformLog, "window system: %s (%s)",
           choice.platform.empty() ? "left to Qt" : choice.platform.c_str(), choice.reason.c_str());
}
