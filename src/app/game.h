#pragma once

#include "media/tuneplayer.h"
#include "ui/helpviewer.h"

#include <memory>

class RaceWindow;
class RankingWindow;
class VersionWindow;

// The application object: the music and the help for the whole run, and the
// three windows. It makes them in order, runs the event loop and takes them
// down again. The QApplication must exist first.
class Game
{
public:
    explicit Game(MusicService::Output musicOutput = MusicService::Output::SoundCard);
    ~Game();

    // Start-up, the event loop and shutdown; the process's exit code.
    int run();

    RaceWindow *raceWindow() const { return m_raceWindow.get(); }
    RankingWindow *rankingWindow() const { return m_rankingWindow.get(); }
    VersionWindow *versionWindow() const { return m_versionWindow.get(); }

private:
    MusicService m_music;
    HelpEngine m_help;
    std::unique_ptr<RaceWindow> m_raceWindow;
    std::unique_ptr<RankingWindow> m_rankingWindow;
    std::unique_ptr<VersionWindow> m_versionWindow;
};
