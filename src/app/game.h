#pragma once

#include "core/cp932.h"
#include "media/tuneplayer.h"
#include "ui/helpviewer.h"
#include "ui/screenreader.h"

#include <QTranslator>

#include <memory>

class RaceWindow;
class RankingWindow;
class VersionWindow;

// The application object: the music, the help and the translation for the
// whole run, and the three windows. It makes them in order (the two hidden side windows once the
// race screen's first frame is out), runs the event loop and takes them down
// again. The QApplication must exist first.
class Game
{
public:
    // The code page's iconv name is the converters' own; tests name one the
    // system lacks.
    explicit Game(MusicService::Output musicOutput = MusicService::Output::SoundCard,
                  const char *codePage932 = Cp932IconvName);
    ~Game();

    // The race by ear from the start, as the player asked on the command
    // line; else only while a screen reader runs.
    void chooseRaceByEar(bool on) { m_raceByEarChosen = on; }

    // Start-up, the event loop and shutdown; the process's exit code.
    int run();

    RaceWindow *raceWindow() const { return m_raceWindow.get(); }
    RankingWindow *rankingWindow() const { return m_rankingWindow.get(); }
    VersionWindow *versionWindow() const { return m_versionWindow.get(); }

private:
    void makeSideWindows();

    const char *m_codePage932;
    QTranslator m_translator;
    MusicService m_music;
    HelpEngine m_help;
    ScreenReaderStatus m_screenReader;
    bool m_raceByEarChosen = false;
    std::unique_ptr<RaceWindow> m_raceWindow;
    std::unique_ptr<RankingWindow> m_rankingWindow;
    std::unique_ptr<VersionWindow> m_versionWindow;
};
