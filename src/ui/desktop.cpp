#include "ui/desktop.h"

#include "ui/placement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

template <class Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QMargins frameMargins(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
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
            place();
            m_framePending = true;
        } else if (event->type() == QEvent::Paint && m_framePending) {
            // The window is on the screen: the window manager has framed it.
            m_framePending = false;
            place();
        }
        return false;
    }

private:
    void place()
    {
        QMargins margins = frameMargins(m_window);
        if (margins.isNull())
            margins = expectedFrameMargins();
        // A top-level window's position is its frame's.
        const QRect frame(m_window->pos(), m_window->size().grownBy(margins));
        QRect placed;
        if (m_placement) {
            placed = m_placement(margins);
        } else {
            const QScreen *screen = QGuiApplication::screenAt(frame.center());
            placed = fittedInto(frame, (screen ? screen : m_window->screen())->availableGeometry());
        }
        if (placed.size() != frame.size())
            m_window->resize(placed.size().shrunkBy(margins));
        if (placed.topLeft() != frame.topLeft())
            m_window->move(placed.topLeft());
    }

    QWidget *m_window;
    Placement m_placement;
    bool m_framePending = false;
};

} // namespace

void keepOutOfTaskbar(QWidget *window)
{
    // The offscreen platform answers for X11 too, without a connection or
    // with one its windows are not on.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skips[] = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || std::ranges::count(skips, XCB_ATOM_NONE))
        return;

    // The window is not mapped yet: its state is a property that the window
    // manager reads when it maps the window, and that Qt adds its own to.
    std::vector<xcb_atom_t> states;
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, false, id, state, XCB_ATOM_ATOM, 0, 64),
                               nullptr),
        &std::free);
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        states.assign(values, values + reply->value_len);
    }
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
    new ScreenKeeper(window, std::move(placement));
}

QMargins expectedFrameMargins()
{
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !frameMargins(window).isNull())
            return frameMargins(window);
    }
    return {};
}
