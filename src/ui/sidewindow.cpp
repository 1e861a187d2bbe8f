#include "ui/sidewindow.h"

#include "ui/accessibility.h"
#include "ui/controls.h"
#include "ui/desktop.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyleHints>

#include <algorithm>

// A window of its own, so that clicking the race screen brings it in front.
// Natively on Wayland too: the compositors put a transient child over its
// parent (KWin centres it there, GNOME Shell puts it over the pads) and keep
// it in front, where it would hide the pads and the toolbar until OK.
SideWindow::SideWindow(QWidget *mainWindow, const QString &caption, const QRect &place, BgrColour colour)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(caption);
    setFont(layoutFont(12));
    setColour(this, colour);
    move(place.topLeft());
    setFixedSize(place.size());
    keepOnScreen(this);
    activateWhenShown(this);
    refuseMaximise(this);
    m_notice = new SpokenNotice(this);
}

void SideWindow::showWindow()
{
    if (!isVisible() || isMinimized()) {
        showNormal();
        m_shownAt.start();
    } else if (!m_shownAt.isValid()
               || m_shownAt.elapsed() >= QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        return;
    }
    // Within a double-click's time of the show it is the same request: a
    // screen reader's click can come as several (Orca clicks again when the
    // pointer seems not to have moved yet, then presses the button through
    // the accessibility bus), and one that lands on the race screen has the
    // window manager raise that.
    raise();
    activateWindow();
}

void SideWindow::hideWindow()
{
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive && m_mainWindow)
        m_mainWindow->activateWindow();
}

// The race screen is the game's one entry in the taskbar.
void SideWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        keepOutOfTaskbar(this);
        m_lineRead = -1;
    }
    QWidget::showEvent(event);
}

// The line before or after the one read last, the first or last one again at
// either end.
void SideWindow::readLine(int step)
{
    const QStringList lines = readableLines(this);
    if (lines.isEmpty())
        return;
    m_lineRead = std::clamp(m_lineRead + step, 0, int(lines.size()) - 1);
    m_notice->say(lines.at(m_lineRead));
}

void SideWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hideWindow();
}

// Escape and Return answer as the OK button does; Up and Down read a line.
void SideWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        return readLine(event->key() == Qt::Key_Up ? -1 : +1);
    if (!isOkKey(event->key()))
        return QWidget::keyPressEvent(event);
    if (!event->isAutoRepeat())
        onOkClicked();
}
