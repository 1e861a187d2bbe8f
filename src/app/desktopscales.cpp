#include "app/desktopscales.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Outputs
{
    std::vector<wl_output *> bound;
    int largestScale = 1;
};

void onOutputScale(void *data, wl_output *, int32_t factor)
{
    auto *outputs = static_cast<Outputs *>(data);
    outputs->largestScale = std::max(outputs->largestScale, int(factor));
}

void onOutputGeometry(void *, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *, const char *,
                      int32_t)
{
}
void onOutputMode(void *, wl_output *, uint32_t, int32_t, int32_t, int32_t) {}
void onOutputDone(void *, wl_output *) {}

// Bound at version 2: the name and description events of later versions never come.
const wl_output_listener outputListener = {onOutputGeometry, onOutputMode, onOutputDone, onOutputScale, nullptr, nullptr};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    // The scale event came with version 2.
    if (std::string_view(interface) != wl_output_interface.name || version < 2)
        return;
    auto *output = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &outputListener, data);
    static_cast<Outputs *>(data)->bound.push_back(output);
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onDone(void *data, wl_callback *, uint32_t)
{
    *static_cast<bool *>(data) = true;
}

const wl_callback_listener doneListener = {onDone};

// Waits until the compositor has answered every request so far, but not
// past the deadline: a compositor that stopped answering must not stop the
// game's start. Silent where the deadline passed, absent where the
// connection failed.
DisplayAnswer roundTrip(wl_display *display, Clock::time_point deadline)
{
    bool done = false;
    wl_callback *callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &doneListener, &done);
    DisplayAnswer answer = DisplayAnswer::Answers;
    while (!done && answer == DisplayAnswer::Answers) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&readable, 1, int(left.count())) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            answer = ready == 0 ? DisplayAnswer::Silent : DisplayAnswer::Absent;
        } else if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
            answer = DisplayAnswer::Absent;
        }
    }
    wl_callback_destroy(callback);
    return answer;
}

// libwayland's socket for a display name: an absolute path as it is, else in
// XDG_RUNTIME_DIR; wayland-0 without a name. Empty where there is none.
std::string socketPath(const char *waylandDisplay)
{
    const std::string name = waylandDisplay && *waylandDisplay ? waylandDisplay : "wayland-0";
    if (name.front() == '/')
        return name;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::string(runtime) + '/' + name : std::string();
}

// Connects as wl_display_connect() does, but not past the deadline: connect()
// waits for ever on a socket whose listen backlog is full. Null where it did
// not connect, `answer` saying why; also where the compositor handed this
// process a connection of its own (WAYLAND_SOCKET), which is left for Qt.
wl_display *connectWithin(const char *waylandDisplay, Clock::time_point deadline, DisplayAnswer &answer)
{
    answer = DisplayAnswer::Absent;
    if (std::getenv("WAYLAND_SOCKET")) {
        answer = DisplayAnswer::Answers;
        return nullptr;
    }
    const std::string path = socketPath(waylandDisplay);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return nullptr;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    // A blocking connect() on a local socket waits no longer than the send
    // timeout.
    const auto left = std::max(std::chrono::microseconds(1),
                               std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()));
    const timeval timeout{time_t(left.count() / 1000000), suseconds_t(left.count() % 1000000)};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int result;
    do
        result = connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    while (result != 0 && errno == EINTR && Clock::now() < deadline);
    if (result != 0) {
        if (errno == EAGAIN || errno == EINPROGRESS || errno == EINTR)
            answer = DisplayAnswer::Silent;
        close(fd);
        return nullptr;
    }
    const timeval none{};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &none, sizeof none);
    return wl_display_connect_to_fd(fd);
}

int largestOutputScale(Clock::time_point deadline)
{
    DisplayAnswer answer;
    wl_display *display = connectWithin(std::getenv("WAYLAND_DISPLAY"), deadline, answer);
    if (!display)
        return 1;
    Outputs outputs;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &outputs);
    // The globals first, then what the outputs tell on binding.
    const bool answered = roundTrip(display, deadline) == DisplayAnswer::Answers
                          && roundTrip(display, deadline) == DisplayAnswer::Answers;
    for (wl_output *output : outputs.bound)
        wl_output_destroy(output);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered ? outputs.largestScale : 1;
}

// Xft.dpi from the X resources on the root window, as Qt reads it.
double xProgramScale(const char *display)
{
    xcb_connection_t *connection = xcb_connect(display, nullptr);
    double scale = 1;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, screen->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 16384),
            nullptr);
        if (reply) {
            const std::string_view resources(static_cast<const char *>(xcb_get_property_value(reply)),
                                             std::size_t(xcb_get_property_value_length(reply)));
            if (const double dpi = xftDpi(resources); dpi > 0)
                scale = dpi / 96;
            std::free(reply);
        }
    }
    xcb_disconnect(connection);
    return scale;
}

} // namespace

DesktopScales askDesktopScales(const char *display, std::chrono::milliseconds deadline)
{
    return {double(largestOutputScale(Clock::now() + deadline)), xProgramScale(display)};
}

DisplayAnswer probeWaylandCompositor(const char *waylandDisplay, std::chrono::milliseconds deadline)
{
    const Clock::time_point end = Clock::now() + deadline;
    DisplayAnswer answer;
    wl_display *display = connectWithin(waylandDisplay, end, answer);
    if (!display)
        return answer;
    answer = roundTrip(display, end);
    wl_display_disconnect(display);
    return answer;
}
