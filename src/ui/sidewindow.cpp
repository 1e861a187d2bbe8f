#include "ui/sidewindow.h"

#include "ui/controls.h"

#include <QCloseEvent>

SideWindow::SideWindow(QWidget *mainWindow, const char *caption, int left, int top, int clientWidth,
                       int clientHeight, BgrColour colour)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromUtf8(caption));
    setFont(layoutFont(12));
    setColour(this, colour);
    move(left, top);
    setFixedSize(clientWidth, clientHeight);
}

void SideWindow::showWindow()
{
    if (isVisible())
        return;
    showNormal();
    activateWindow();
}

void SideWindow::hideWindow()
{
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive && m_mainWindow)
        m_mainWindow->activateWindow();
}

void SideWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hideWindow();
}
