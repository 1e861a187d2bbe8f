#include "app/platformchoice.h"

#include "app/desktopscales.h"

#include <QLoggingCategory>

#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

namespace {

Q_LOGGING_CATEGORY(platformLog, "milta100m.platform", QtCriticalMsg)

bool isSet(const char *variable)
{
    return variable && *variable;
}

// One of Qt's own options as Qt reads it: "-NAME VALUE" or "--NAME VALUE",
// the last one given counting; null where there is none.
const char *qtOption(const std::vector<std::string> &arguments, std::string_view name)
{
    const char *value = nullptr;
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument.starts_with("--"))
            argument.remove_prefix(1);
        if (argument.starts_with('-') && argument.substr(1) == name)
            value = arguments[++i].c_str();
    }
    return value;
}

// The platform plugins Qt tries in turn for a list such as "wayland;xcb:foo":
// their names in lower case, as Qt loads them, without their arguments and
// skipping empty parts.
std::vector<std::string> pluginNames(std::string_view list)
{
    std::vector<std::string> names;
    while (!list.empty()) {
        std::string_view entry = list.substr(0, list.find(';'));
        list.remove_prefix(std::min(entry.size() + 1, list.size()));
        while (entry.starts_with(':'))
            entry.remove_prefix(1);
        std::string name(entry.substr(0, entry.find(':')));
        if (name.empty())
            continue;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        names.push_back(std::move(name));
    }
    return names;
}

// Plugins that need neither a display nor a device, and so always load.
bool alwaysLoads(std::string_view plugin)
{
    return plugin == "offscreen" || plugin == "minimal" || plugin == "vnc";
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
                              const std::function<DisplayAnswer(const char *display)> &xServer,
                              const std::function<DisplayAnswer(const char *waylandDisplay)> &waylandCompositor,
                              const std::function<DesktopScales(const char *display)> &desktopScales,
                              const char *currentDesktop)
{
    // Xlib takes an empty display name for DISPLAY.
    const char *option = qtOption(arguments, "display");
    if (isSet(option))
        display = option;
    else
        option = nullptr;
    if (!isSet(waylandDisplay))
        waylandDisplay = nullptr;
    const std::string xServerName =
        "the X server on " + std::string(option ? "-display " : "DISPLAY=") + (display ? display : "");
    const std::string compositorName =
        waylandDisplay ? "the Wayland compositor on WAYLAND_DISPLAY=" + std::string(waylandDisplay)
                       : std::string("the Wayland compositor on wayland-0 (WAYLAND_DISPLAY is not set)");

    std::string players, reason;
    if (const char *platform = qtOption(arguments, "platform")) {
        players = platform;
        reason = "the player's -platform option";
    } else if (isSet(qpaPlatform)) {
        players = qpaPlatform;
        reason = "the player's QT_QPA_PLATFORM=" + players;
    }
    if (!reason.empty()) {
        // Qt tries the plugins named, "wayland;xcb", in turn and takes the
        // first that loads: one that connects, or one that needs no display.
        // A name it cannot load, or a display that is not there, passes on.
        for (const std::string &plugin : pluginNames(players)) {
            DisplayAnswer answer;
            if (plugin == "xcb" && isSet(display))
                answer = xServer(display);
            else if (plugin.starts_with("wayland"))
                answer = waylandCompositor(waylandDisplay);
            else if (alwaysLoads(plugin))
                break;
            else
                continue;
            if (answer == DisplayAnswer::Silent)
                return {"", reason, plugin == "xcb" ? xServerName : compositorName};
            if (answer == DisplayAnswer::Answers)
                break;
        }
        return {"", reason};
    }

    std::string noX = "DISPLAY is not set";
    DisplayAnswer x = DisplayAnswer::Absent;
    if (isSet(display)) {
        x = xServer(display);
        if (x == DisplayAnswer::Answers) {
            const std::string onX = "an X server answers on DISPLAY=" + std::string(display);
            if (isGnome(currentDesktop))
                return {.platform = "xcb", .reason = onX + ", and GNOME Shell frames X windows only", .display = display};
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
            return {.platform = "xcb", .reason = onX, .display = display};
        }
        noX = "no X server answers on DISPLAY=" + std::string(display);
    }
    std::string silent = x == DisplayAnswer::Silent ? xServerName : "";
    if (waylandDisplay) {
        const DisplayAnswer wayland = waylandCompositor(waylandDisplay);
        if (wayland == DisplayAnswer::Answers)
            return {"wayland", noX + ", a Wayland compositor is on WAYLAND_DISPLAY=" + waylandDisplay};
        if (wayland == DisplayAnswer::Silent)
            silent += (silent.empty() ? "" : " and ") + compositorName;
        return {"", noX + ", no Wayland compositor answers on WAYLAND_DISPLAY=" + waylandDisplay, silent};
    }
    // Left to Qt, which may look for a compositor on wayland-0.
    if (silent.empty() && waylandCompositor(nullptr) == DisplayAnswer::Silent)
        silent = compositorName;
    return {"", noX + ", WAYLAND_DISPLAY is not set", silent};
}

DisplayAnswer probeXServer(const char *display, std::chrono::milliseconds deadline)
{
    // xcb_connect() waits as long as the server takes to answer.
    auto answer = std::make_shared<std::promise<DisplayAnswer>>();
    std::future<DisplayAnswer> answered = answer->get_future();
    std::thread([answer, display = std::string(display)] {
        xcb_connection_t *connection = xcb_connect(display.c_str(), nullptr);
        answer->set_value(xcb_connection_has_error(connection) == 0 ? DisplayAnswer::Answers : DisplayAnswer::Absent);
        xcb_disconnect(connection);
    }).detach();
    return answered.wait_for(deadline) == std::future_status::ready ? answered.get() : DisplayAnswer::Silent;
}

std::optional<PlatformChoice> choosePlatformForGame(int argc, char **argv)
{
    constexpr std::chrono::seconds xDeadline(1);
    // KWin reads the whole program file of a client that connects, twice,
    // before it answers: a build with debug information (13 MB) kept it
    // over a second on a busy machine.
    constexpr std::chrono::seconds waylandDeadline(3);
    const PlatformChoice choice = choosePlatform(
        std::vector<std::string>(argv, argv + argc), std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
        std::getenv("WAYLAND_DISPLAY"), [&](const char *display) { return probeXServer(display, xDeadline); },
        [&](const char *waylandDisplay) { return probeWaylandCompositor(waylandDisplay, waylandDeadline); },
        [&](const char *display) { return askDesktopScales(display, waylandDeadline); },
        std::getenv("XDG_CURRENT_DESKTOP"));
    if (!choice.silent.empty()) {
        std::fprintf(stderr, "%s: no window can open: %s did not answer\n",
                     std::filesystem::path(argv[0]).filename().c_str(), choice.silent.c_str());
        return std::nullopt;
    }
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
