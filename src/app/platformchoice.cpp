#include "app/platformchoice.h"

#include "app/desktopscales.h"

#include <QLoggingCategory>

#include <xcb/xcb.h>

#include <charconv>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

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

// Qt's -display option, as its X11 plugin reads it: "-display NAME" or
// "--display NAME"; null where there is none.
const char *displayOption(const std::vector<std::string> &arguments)
{
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-display" || arguments[i] == "--display")
            return arguments[i + 1].c_str();
    }
    return nullptr;
}

// XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME".
bool isGnome(const char *currentDesktop)
{
    return currentDesktop && std::string_view(currentDesktop).find("GNOME") != std::string_view::npos;
}

std::string scaleText(double scale)
{
    char text[16];
    std::snprintf(text, sizeof text, "%g", scale);
    return text;
}

} // namespace

PlatformChoice choosePlatform(const std::vector<std::string> &arguments, const char *qpaPlatform,
                              const char *display, const char *waylandDisplay,
                              const std::function<bool(const char *display)> &xServerAnswers,
                              const std::function<DesktopScales(const char *display)> &desktopScales,
                              const char *currentDesktop)
{
    if (hasPlatformOption(arguments))
        return {"", "the player's -platform option"};
    if (isSet(qpaPlatform))
        return {"", "the player's QT_QPA_PLATFORM=" + std::string(qpaPlatform)};
    if (const char *option = displayOption(arguments))
        display = option;
    std::string noX = "DISPLAY is not set";
    if (isSet(display)) {
        if (xServerAnswers(display)) {
            const std::string onX = "an X server answers on DISPLAY=" + std::string(display);
            if (isGnome(currentDesktop))
                return {"xcb", onX + ", and GNOME Shell frames X windows only", display};
            if (isSet(waylandDisplay)) {
                // X windows would be scaled up, blurred (or, where the
                // compositor leaves them, drawn small). Natively the game
                // draws at the compositor's scale; Qt takes X11 where it
                // has no Wayland plugin.
                const DesktopScales scales = desktopScales(display);
                if (scales.compositor > scales.xPrograms)
                    return {"wayland;xcb", onX + ", but the compositor on WAYLAND_DISPLAY=" + waylandDisplay +
                                               " draws at scale " + scaleText(scales.compositor) +
                                               " and X programs at " + scaleText(scales.xPrograms)};
            }
            return {"xcb", onX, display};
        }
        noX = "no X server answers on DISPLAY=" + std::string(display);
    }
    if (isSet(waylandDisplay))
        return {"wayland", noX + ", a Wayland compositor is on WAYLAND_DISPLAY=" + waylandDisplay};
    return {"", noX + ", WAYLAND_DISPLAY is not set"};
}

bool xServerAnswers(const char *display, std::chrono::milliseconds deadline)
{
    // xcb_connect() waits as long as the server takes to answer.
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> answered = answer->get_future();
    std::thread([answer, display = std::string(display)] {
        xcb_connection_t *connection = xcb_connect(display.c_str(), nullptr);
        answer->set_value(xcb_connection_has_error(connection) == 0);
        xcb_disconnect(connection);
    }).detach();
    return answered.wait_for(deadline) == std::future_status::ready && answered.get();
}

PlatformChoice choosePlatformForGame(int argc, char **argv)
{
    const PlatformChoice choice = choosePlatform(std::vector<std::string>(argv, argv + argc),
                                                 std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                                 std::getenv("WAYLAND_DISPLAY"),
                                                 [](const char *display) {
                                                     return xServerAnswers(display, std::chrono::seconds(1));
                                                 },
                                                 [](const char *display) {
                                                     return askDesktopScales(display, std::chrono::seconds(1));
                                                 },
                                                 std::getenv("XDG_CURRENT_DESKTOP"));
    if (!choice.platform.empty())
        qputenv("QT_QPA_PLATFORM", choice.platform.c_str());
    qCInfo(platformLog, "window system: %s (%s)",
           choice.platform.empty() ? "left to Qt" : choice.platform.c_str(), choice.reason.c_str());
    return choice;
}

double xftDpi(std::string_view resources)
{
    constexpr std::string_view key = "Xft.dpi:";
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
        if (!line.starts_with(key))
            continue;
        line.remove_prefix(key.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        double dpi = 0;
        const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), dpi);
        return error == std::errc() && dpi > 0 ? dpi : 0;
    }
    return 0;
}
