#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

#include <functional>

class QDialog;
class QWidget;

// The game's windows on the player's desktop.

// Whether the game's windows are native Wayland windows. The compositor then
// puts them where it likes, and a window that wants the keyboard asks for it
// through the xdg-activation protocol.
bool onWayland();

// Keeps a window out of the taskbar and the pager, so that the race screen's
// is the game's one entry there. Call it each time the window is about to be
// shown: the window manager forgets it when the window hides. Does nothing
// where the desktop is not X11.
void keepOutOfTaskbar(QWidget *window);

// On Wayland, asks the compositor each time the window is shown, once it is
// drawn, to give it the keyboard: with the token the game was started with
// (XDG_ACTIVATION_TOKEN, which Qt spends on the first request) or with one
// for the player's last input. Qt asks nothing for a window it takes for
// active already, such as a transient child of the active window. Elsewhere
// the window manager gives a new window the keyboard itself, and this does
// nothing.
void activateWhenShown(QWidget *window);

// Runs the application-modal dialog until it is answered, as
// QDialog::exec() does, and returns its result (Rejected where the program
// ends first). Meanwhile, whenever another of the game's windows becomes
// active (the player clicked it, or the desktop passed the activation on),
// a minimised dialog comes back in front and active: the windows it blocks
// would look active and answer nothing, and a desktop without a taskbar
// (GNOME Shell) has nothing to bring it back from. Natively on Wayland the
// game is never told of a minimise, and the compositor does not know that
// the dialog blocks the other windows: there the dialog is shown anew, as a
// new surface, which no compositor keeps minimised.
int runModal(QDialog *dialog);

// Natively on Wayland, where the compositor leaves the frame to Qt (GNOME
// Shell), Qt 6.4's frame has a maximise box even on a window of fixed size,
// and the compositor then moves the window to the corner of the work area,
// over the others: the window takes its normal state back at once. Elsewhere
// the frame has only the boxes the window asks for, and this does nothing.
void refuseMaximise(QWidget *window);

// Where a window's frame goes, given the margins of the frame.
using Placement = std::function<QRect(const QMargins &frameMargins)>;

// Each time the top-level `window` is shown, asks the window manager once,
// before it maps the window, for a place where its frame lies within the
// available area of its screen (moved just enough from where it is), or for
// the frame `placement` says, by the frame the window is expected to get.
// Once the window manager has placed it, the window moves again only where
// its real frame made the place asked for wrong, or where it is not wholly
// on the screen. Does nothing on Wayland.
void keepOnScreen(QWidget *window, Placement placement = {});

// The frame the window manager puts around the game's windows, as it framed
// one already shown; none before that.
QMargins expectedFrameMargins();

// The given top-level windows as the window manager stacks them, the lowest
// first; where the desktop does not say (not X11, or a window manager
// without _NET_CLIENT_LIST_STACKING), in the order given. Windows the window
// manager does not know (hidden ones) come first.
QList<QWidget *> stackingOrder(QList<QWidget *> windows);
