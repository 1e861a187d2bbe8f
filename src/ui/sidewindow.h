#pragma once

#include "ui/colours.h"

#include <QElapsedTimer>
#include <QWidget>

class SpokenNotice;

// The ranking and version windows: top-level windows that hide instead of
// closing, not owned by the race screen. Up and Down read their lines to a
// screen reader one at a time, as often as wanted (it reads a window's text
// once, as it opens).
class SideWindow : public QWidget
{
    Q_OBJECT
public:
    // `place`: the frame's top-left corner and the client area's size.
    SideWindow(QWidget *mainWindow, const QString &caption, const QRect &place, BgrColour colour);

    // A hidden window is shown and activated; so is one the player
    // minimised, restored. A shown one is left as it is, not even raised,
    // unless it was shown within a double-click's time: then it comes to
    // the front again, active.
    void showWindow();
    // Hides the window; if it was the active one, the race screen becomes
    // active again.
    void hideWindow();

    // The window's OK button.
    void onOkClicked() { hideWindow(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void readLine(int step);

    QWidget *m_mainWindow;
    SpokenNotice *m_notice;
    int m_lineRead = -1; // none yet since the window was shown
    QElapsedTimer m_shownAt;
};
