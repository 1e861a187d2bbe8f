#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

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

// The game's help engine: shows a help file in the help viewer, made on first
// use, and closes the viewer when the game ends. It returns at once: the
// viewer never holds up the game.
class HelpEngine
{
public:
    HelpEngine() = default;
    ~HelpEngine();
    HelpEngine(const HelpEngine &) = delete;
    HelpEngine &operator=(const HelpEngine &) = delete;

    // Shows the contents of the help file; `owner` is the window asking,
    // beside which the viewer first appears.
    void showContents(QWidget *owner, const QString &helpFile);
    // The game ends: the viewer closes, if help was ever asked for.
    void quit();

    HelpViewer *viewer() const { return m_viewer; }

private:
    QPointer<HelpViewer> m_viewer;
};
