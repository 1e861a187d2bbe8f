#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QTextBrowser;
class SpokenNotice;

// The help viewer: a window of its own, apart from the game's three windows
// (though it answers the game's keys as they do), that shows a help file
// written in HTML, or says plainly why it cannot. Escape and Return close it.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    HelpViewer();

    // Room for the help text; less where the screen is small.
    static constexpr QSize PreferredSize{560, 480};
    static constexpr QSize MinimumSize{320, 200};

    void showFile(const QString &helpFile);
    QTextBrowser *browser() const { return m_browser; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followLink(const QUrl &link);
    void sayChosenLink();

    QTextBrowser *m_browser;
    SpokenNotice *m_notice;
};

// What the help viewer leaves in sight, in screen coordinates: the race
// screen's frame, its pads and its clock.
struct RaceInSight
{
    QRect screen;
    QRect pads;
    QRect clock;
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

    // Shows the contents of the help file. A new viewer opens where it
    // leaves the race in sight, as far as the screen allows.
    void showContents(const QString &helpFile, const RaceInSight &race = {});
    // The game ends: the viewer closes, if help was ever asked for.
    void quit();

    HelpViewer *viewer() const { return m_viewer; }

    // The language of the help the game shows, as of its translation ("en"),
    // empty for the game's own Japanese.
    void setLanguage(const QString &language) { m_language = language; }
    QString language() const { return m_language; }

private:
    QPointer<HelpViewer> m_viewer;
    QString m_language;
};
