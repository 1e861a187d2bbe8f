#include "ui/desktop.h"

#include "ui/placement.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

template <class Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// The connection to the X server the game's windows are on; none elsewhere.
// The offscreen platform answers for X11 too, without a connection or with
// one its windows are not on.
xcb_connection_t *x11Connection()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return QGuiApplication::platformName() == QLatin1String("xcb") && x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A window property's 32-bit values; none where the window has not got it.
std::vector<uint32_t> property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, false, window, name, type, 0, 4096), nullptr),
        &std::free);
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return {values, values + reply->value_len};
}

struct Frame
{
    QRect rect; // in screen coordinates
    QMargins margins;
};

// The frame the window manager has drawn around a shown window; none before
// it has framed the window, or where it says nothing of its frames.
std::optional<Frame> drawnFrame(const QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        const QWindow *handle = window->windowHandle();
        if (!handle || !handle->isExposed())
            return std::nullopt;
        return Frame{window->frameGeometry(), handle->frameMargins()};
    }
    // Asked of the X server: Qt learns the frame only as it gets round to
    // the window manager's events.
    const auto id = xcb_window_t(window->winId());
    const std::vector<uint32_t> extents =
        property(connection, id, internAtom(connection, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    const XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    if (extents.size() != 4 || !geometry)
        return std::nullopt;
    const XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(connection,
                                        xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        &std::free);
    if (!origin)
        return std::nullopt;
    // The X server counts device pixels.
    const qreal ratio = window->devicePixelRatio();
    const auto scaled = [ratio](uint32_t pixels) { return qRound(pixels / ratio); };
    const QMargins margins(scaled(extents[0]), scaled(extents[2]), scaled(extents[1]), scaled(extents[3]));
    const QPoint client(qRound(origin->dst_x / ratio), qRound(origin->dst_y / ratio));
    return Frame{QRect(client - QPoint(margins.left(), margins.top()), window->size().grownBy(margins)), margins};
}

// Watches a window's showing; see keepOnScreen().
class ScreenKeeper : public QObject
{
public:
    ScreenKeeper(QWidget *window, Placement placement)
        : QObject(window), m_window(window), m_placement(std::move(placement))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // A show of the player's making (restoring from the taskbar) is left alone.
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            // The frame is yet to come: the one the other windows have stands for it.
            m_margins = expectedFrameMargins();
            // A top-level window's position is its frame's.
            place(QRect(m_window->pos(), m_window->size().grownBy(m_margins)));
            m_framePending = true;
        } else if (m_framePending && (event->type() == QEvent::Move || event->type() == QEvent::Paint)) {
            // Framed, the window moves into its frame or comes on the screen.
            const std::optional<Frame> frame = drawnFrame(m_window);
            if (!frame && event->type() == QEvent::Move)
                return false;
            m_framePending = false;
            if (frame && frame->margins != m_margins) {
                m_margins = frame->margins;
                place(frame->rect);
            }
        }
        return false;
    }

private:
    void place(const QRect &frame)
    {
        QRect placed;
        if (m_placement) {
            placed = m_placement(m_margins);
        } else {
            const QScreen *screen = QGuiApplication::screenAt(frame.center());
            placed = fittedInto(frame, (screen ? screen : m_window->screen())->availableGeometry());
        }
        if (placed == frame)
            return;
        // move() adds to the position the frame that Qt believes the window
        // has, which it learns late; so the client area's place is given.
        const QPoint client = placed.topLeft() + QPoint(m_margins.left(), m_margins.top());
        m_window->move(client - (m_window->geometry().topLeft() - m_window->pos()));
        // Resized after the move, even where the frame is in place already:
        // a resize sends along the position Qt last heard of from the X
        // server, which lags behind the requests in flight and may still be
        // where the window was made, and would take it back there.
        m_window->resize(placed.size().shrunkBy(m_margins));
    }

    QWidget *m_window;
    Placement m_placement;
    QMargins m_margins; // of the frame the window is placed by
    bool m_framePending = false;
};

// Watches a window's showing; see activateWhenShown().
class Activator : public QObject
{
public:
    explicit Activator(QWidget *window) : QObject(window), m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            m_pending = true;
        } else if (m_pending && event->type() == QEvent::Paint) {
            // The compositor activates only a window it has a picture of:
            // the request goes after this first one.
            m_pending = false;
            QTimer::singleShot(0, m_window, [window = m_window] { window->activateWindow(); });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_pending = false;
};

} // namespace

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void keepOutOfTaskbar(QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skips[] = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || std::ranges::count(skips, XCB_ATOM_NONE))
        return;

    // The window is not mapped yet: its state is a property that the window
    // manager reads when it maps the window, and that Qt adds its own to.
    std::vector<uint32_t> states = property(connection, id, state, XCB_ATOM_ATOM);
    for (xcb_atom_t skip : skips) {
        if (std::ranges::find(states, skip) == states.end())
            states.push_back(skip);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, states.size(),
                        states.data());
    xcb_flush(connection);
}

void keepOnScreen(QWidget *window, Placement placement)
{
    if (onWayland())
        return;
    new ScreenKeeper(window, std::move(placement));
}

void activateWhenShown(QWidget *window)
{
    if (onWayland())
        new Activator(window);
}

QMargins expectedFrameMargins()
{
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        if (const std::optional<Frame> frame = drawnFrame(window); frame && !frame->margins.isNull())
            return frame->margins;
    }
    return {};
}

QList<QWidget *> stackingOrder(QList<QWidget *> windows)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return windows;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::vector<uint32_t> stacking = property(
        connection, screen->root, internAtom(connection, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (stacking.empty())
        return windows;
    const auto height = [&stacking](const QWidget *window) -> std::ptrdiff_t {
        // internalWinId(): a window not made native yet is not stacked, and winId() would make it.
        const auto found = std::ranges::find(stacking, uint32_t(window->internalWinId()));
        return found == stacking.end() ? -1 : found - stacking.begin();
    };
    std::ranges::stable_sort(windows, {}, height);
    return windows;
}
