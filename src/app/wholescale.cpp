#include "app/wholescale.h"

#include "ui/placement.h"

#include <QLoggingCategory>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

Q_LOGGING_CATEGORY(scaleLog, "milta100m.platform", QtCriticalMsg)

using Clock = std::chrono::steady_clock;

// The reply to a request, or none where the X server has not sent it by the
// deadline: a server that stopped answering must not stop the game's start.
template <class Reply>
std::unique_ptr<Reply, decltype(&std::free)> replyBefore(xcb_connection_t *connection, unsigned sequence,
                                                         Clock::time_point deadline)
{
    xcb_flush(connection);
    void *reply = nullptr;
    xcb_generic_error_t *error = nullptr;
    while (!xcb_poll_for_reply(connection, sequence, &reply, &error)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, int(left.count())) <= 0)
            break;
    }
    std::free(error);
    return {static_cast<Reply *>(reply), &std::free};
}

std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>
rootProperty(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t name, xcb_atom_t type,
             Clock::time_point deadline)
{
    return replyBefore<xcb_get_property_reply_t>(
        connection, xcb_get_property(connection, false, root, name, type, 0, 16384).sequence, deadline);
}

std::string areaText(const QRect &area)
{
    return std::to_string(area.width()) + "x" + std::to_string(area.height()) + "+" + std::to_string(area.left())
           + "+" + std::to_string(area.top());
}

// The variables by which a player sets Qt's scale.
constexpr const char *PlayersScaleVariables[] = {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                                 "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY",
                                                 "QT_USE_PHYSICAL_DPI"};

} // namespace

ScaleChoice chooseWholeScale(const XDesktop &desktop)
{
    if (desktop.xftDpi <= 0)
        return {1, 1, "the X resources set no Xft.dpi"};
    const std::string dpi = "Xft.dpi " + std::to_string(std::lround(desktop.xftDpi));
    // Qt rounds half up, as the game asks it to.
    const int rounded = std::max(1, int(std::lround(desktop.xftDpi / 96)));
    if (rounded == 1)
        return {1, 1, dpi};
    const std::string rounds = dpi + " rounds to " + std::to_string(rounded);
    const std::string area = "the work area " + areaText(desktop.workArea);
    const int fitting = wholeScaleFitting(rounded, desktop.workArea);
    if (fitting == rounded)
        return {rounded, rounded, rounds + "; the windows have room at their places in " + area};
    if (fitting > 0)
        return {fitting, rounded, rounds + ", but the windows have room at their places in " + area + " only at "
                             + std::to_string(fitting)};
    return {1, rounded, rounds + ", but the windows have no room at their places in " + area
                   + " even at 1: they move into it"};
}

XDesktop askXDesktop(const char *display, std::chrono::milliseconds deadline)
{
    const Clock::time_point end = Clock::now() + deadline;
    XDesktop desktop;
    xcb_connection_t *connection = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        desktop.workArea = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
        if (const auto resources = rootProperty(connection, screen->root, XCB_ATOM_RESOURCE_MANAGER,
                                                XCB_ATOM_STRING, end)) {
            desktop.xftDpi = xftDpi(std::string_view(static_cast<const char *>(xcb_get_property_value(resources.get())),
                                                     std::size_t(xcb_get_property_value_length(resources.get()))));
        }
        constexpr std::string_view name = "_NET_WORKAREA";
        const auto atom = replyBefore<xcb_intern_atom_reply_t>(
            connection, xcb_intern_atom(connection, true, name.size(), name.data()).sequence, end);
        // The first desktop's, as Qt reads it.
        if (atom && atom->atom != XCB_ATOM_NONE) {
            const auto workArea = rootProperty(connection, screen->root, atom->atom, XCB_ATOM_CARDINAL, end);
            if (workArea && workArea->format == 32 && xcb_get_property_value_length(workArea.get()) >= 16) {
                const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(workArea.get()));
                desktop.workArea &= QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
            }
        }
    }
    xcb_disconnect(connection);
    return desktop;
}

void chooseWholeScaleForGame(const PlatformChoice &platform)
{
    if (platform.platform != "xcb")
        return;
    for (const char *variable : PlayersScaleVariables) {
        if (qEnvironmentVariableIsSet(variable)) {
            qCInfo(scaleLog, "scale: left to Qt (the player's %s)", variable);
            return;
        }
    }
    const XDesktop desktop = askXDesktop(platform.display.c_str(), std::chrono::seconds(1));
    const ScaleChoice choice = chooseWholeScale(desktop);
    if (choice.scale < choice.qtScale) {
        // Qt's own factor off; the chosen one for each screen of the display
        // (an X display has one Xft.dpi; Qt ignores the factors past its
        // screens). The fonts keep Xft.dpi: Qt divides it by the factor.
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        if (choice.scale > 1) {
            QByteArray factors = QByteArray::number(choice.scale);
            for (int screen = 1; screen < 16; ++screen)
                factors += ';' + QByteArray::number(choice.scale);
            qputenv("QT_SCREEN_SCALE_FACTORS", factors);
        }
    }
    qCInfo(scaleLog, "scale: %d (%s)", choice.scale, choice.reason.c_str());
}
