#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// Commands of the help request.
constexpr int HELP_QUIT = 2;    // the program ends: close the help viewer
constexpr int HELP_FINDER = 11; // show the help file's contents

// The game's help engine: asks the help viewer to carry out `command` for
// `helpFile`. Returns at once; the viewer is a window of its own that never
// holds up the game. `owner` is the window asking, beside which the viewer
// first appears. Returns false for a command the viewer does not know.
bool WinHelp(QWidget *owner, const QString &helpFile, int command, quintptr data = 0);

// The help viewer: a window of its own, apart from the game's windows, that
// shows a help file written in HTML, or says plainly why it cannot.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    HelpViewer();

    void showFile(const QString &helpFile);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
