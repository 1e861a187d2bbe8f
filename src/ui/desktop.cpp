#include "ui/desktop.h"

#include "ui/placement.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
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
        m_settling.setSingleShot(true);
        m_settling.setInterval(SettlingTime);
        connect(&m_settling, &QTimer::timeout, this, [this] { placed(drawnFrame(m_window)); });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window) {
            // The native window is about to be mapped, its geometry made the
            // widget's: the place is asked for now.
            if (event->type() == QEvent::Show && m_askPending) {
                m_askPending = false;
                m_window->windowHandle()->setFramePosition(m_asked.topLeft());
            }
            return false;
        }
        // A show of the player's making (restoring from the taskbar) is left alone.
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            // The frame the other windows have stands for the one to come.
            const QMargins margins = expectedFrameMargins();
            m_asked = wanted(QRect(m_window->pos(), m_window->size().grownBy(margins)), margins);
            resizeFor(m_asked, margins);
            // The place is asked for only where it is new: a window shown
            // again goes back to its frame's place by the window manager,
            // where Qt may not know it (it never hears of it from Mutter).
            m_askPending = m_asked.topLeft() != m_window->pos();
            m_settling.start();
            if (!m_handleWatched) {
                m_window->windowHandle()->installEventFilter(this);
                m_handleWatched = true;
            }
        } else if (event->type() == QEvent::Hide) {
            m_settling.stop();
        } else if (m_settling.isActive() && (event->type() == QEvent::Move || event->type() == QEvent::Paint)) {
            // A window manager may set the frame's margins and map the window
            // before it moves the frame to its place (KWin does): a frame
            // where it was asked is placed; any other may still be moving.
            const std::optional<Frame> frame = drawnFrame(m_window);
            if (frame && frame->rect.topLeft() == m_asked.topLeft())
                placed(frame);
            else if (event->type() == QEvent::Move)
                m_settling.start();
        }
        return false;
    }

private:
    // How long a window manager that puts a window elsewhere than asked is
    // given to finish moving it.
    static constexpr std::chrono::milliseconds SettlingTime{1000};

    // Where the game wants the window with these frame margins, its frame
    // now at `frame`.
    QRect wanted(const QRect &frame, const QMargins &margins) const
    {
        if (m_placement)
            return m_placement(margins);
        const QScreen *screen = QGuiApplication::screenAt(frame.center());
        return fittedInto(frame, (screen ? screen : m_window->screen())->availableGeometry());
    }

    // The window manager is done with the window: it moves only where the
    // game asked wrongly, or where the window is not wholly on the screen.
    // Said nothing of its frame, the window stays as asked.
    void placed(const std::optional<Frame> &frame)
    {
        m_settling.stop();
        if (!frame)
            return;
        const QScreen *screen = QGuiApplication::screenAt(frame->rect.center());
        const QRect area = (screen ? screen : m_window->screen())->availableGeometry();
        const QRect now = wanted(QRect(m_asked.topLeft(), frame->rect.size()), frame->margins);
        if (const std::optional<QRect> corrected = correctedFrame(m_asked, frame->rect, now, area)) {
            m_asked = *corrected;
            ask(*corrected, frame->margins);
        }
    }

    // The place is asked for as every EWMH window manager honours it: a
    // position the user chose (USPosition) of the frame's top-left corner
    // (NorthWest gravity), through QWindow. QWidget::move() on a window that
    // has its native window asks for the client area's place (Static
    // gravity), by the frame that Qt believes the window has, which it
    // learns late.
    void ask(const QRect &frame, const QMargins &margins)
    {
        resizeFor(frame, margins);
        m_window->windowHandle()->setFramePosition(frame.topLeft());
    }

    // A resize sends along the position Qt last heard of from the X server:
    // it goes before the position is asked for.
    void resizeFor(const QRect &frame, const QMargins &margins)
    {
        if (const QSize client = frame.size().shrunkBy(margins); client != m_window->size())
            m_window->resize(client);
    }

    QWidget *m_window;
    Placement m_placement;
    QTimer m_settling;
    QRect m_asked; // the frame last asked for
    bool m_askPending = false; // until the native window shows
    bool m_handleWatched = false;
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

// Watches a window's state; see refuseMaximise().
class MaximiseRefuser : public QObject
{
public:
    explicit MaximiseRefuser(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::WindowStateChange && window->isMaximized()) {
            // After Qt has taken in the state it was told of.
            QTimer::singleShot(0, window, [window] {
                window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
            });
        }
        return false;
    }
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

int runModal(QDialog *dialog)
{
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setResult(QDialog::Rejected);
    const QPointer<QDialog> alive(dialog);
    QEventLoop loop;
    QObject::connect(dialog, &QDialog::finished, &loop, [&loop] { loop.quit(); });
    QObject::connect(dialog, &QObject::destroyed, &loop, [&loop] { loop.quit(); });
    // Natively on Wayland, a dialog shown anew waits for the focus before it
    // comes back again: a compositor that gives it none must not have it
    // shown over and over.
    bool shownAnew = false;
    const QMetaObject::Connection comingBack = QObject::connect(
        qApp, &QGuiApplication::focusWindowChanged, dialog, [dialog, &shownAnew](QWindow *focus) {
            if (!focus || QApplication::activeModalWidget() != dialog)
                return;
            if (dialog->windowHandle() == focus) {
                shownAnew = false;
            } else if (!onWayland()) {
                if (dialog->isMinimized()) {
                    dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
                    dialog->show();
                    dialog->raise();
                    dialog->activateWindow();
                }
            } else if (!shownAnew) {
                // Hidden, it leaves the loop above running (QDialog::exec()'s
                // would end).
                shownAnew = true;
                dialog->hide();
                dialog->show();
            }
        });
    dialog->show();
    loop.exec(QEventLoop::DialogExec);
    QObject::disconnect(comingBack);
    return alive ? alive->result() : int(QDialog::Rejected);
}

void keepOnScreen(QWidget *window, Placement placement)
{
    if (onWayland())
        return;
    // Qt gives a window its gravity when it makes its native window: a
    // position set before then is the frame's (NorthWest gravity), the
    // place of its client area otherwise (Static). It is the window's first
    // place, asked for as the native window is made.
    if (!window->testAttribute(Qt::WA_WState_Created))
        window->move(window->pos());
    new ScreenKeeper(window, std::move(placement));
}

void refuseMaximise(QWidget *window)
{
    if (onWayland())
        new MaximiseRefuser(window);
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
