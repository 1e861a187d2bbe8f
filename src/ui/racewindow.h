#pragma once

#include "media/cuesounds.h"
#include "race/race.h"
#include "race/raceclock.h"
#include "ranking/rankinglines.h"
#include "ranking/sharedranking.h"
#include "ui/controls.h"
#include "ui/layout.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class HelpEngine;
class MusicService;
class SpokenNotice;
class RankingWindow;
class TunePlayer;
class VersionWindow;

// The race screen: the toolbar, the sky with the clock, the track with the
// runners, and the ground with the two pads. The race state lives here, and
// each handler does one thing the player asked for.
class RaceWindow : public QWidget
{
    Q_OBJECT
public:
    // Makes the layout, then opens the race tune and the goal tune, in that
    // order; a tune that cannot be opened raises EMCIDeviceError. Without a
    // clock of its own the race runs on a 70 ms timer.
    RaceWindow(MusicService &music, HelpEngine &help, std::unique_ptr<RaceClock> clock = {});
    ~RaceWindow() override;

    // The side windows the toolbar shows, made after the race screen. They
    // answer the game's keys as the race screen does.
    void attachSideWindows(RankingWindow *ranking, VersionWindow *version);

    // The race by ear: each counted half-stride and each quarter of the way
    // heard, the pointer off the pads warned of, the clock read on a key. On
    // while a screen reader runs, or as the player chose (the command line's
    // option, the key); a choice to turn it off lasts until a screen reader
    // starts again.
    void chooseRaceByEar(bool on);
    void followScreenReader(bool running);
    bool raceByEar() const { return m_raceByEar; }

    // Start-up: the ranking file replaces the built-in ranking. Raises the
    // file's errors; the built-in ranking then stays.
    void loadRanking();
    // As the program ends, the windows gone: the ranking's entries not saved
    // yet get their last save. Raises its error.
    void saveRankingBeforeExit();

    void onRedPadMoved();
    void onBluePadMoved();
    void onClockTick();
    void onRunnerButtonClicked();
    template <int runner>
    void onPortraitClicked() { chooseRunner(runner); }
    void onBackClicked();
    void onExitClicked();
    void onRetryClicked();
    void onRankingClicked();
    void onHelpClicked();
    void onVersionClicked();

    // What the player sees, for tests and the benchmark.
    const RaceState &state() const { return m_race; }
    const RankingLines &rankingLines() const { return m_ranking.lines(); }
    bool clockRunning() const { return m_raceClock->isRunning(); }
    TextLabel *clockLabel() const { return m_clockLabel; }
    PictureBox *stanceFrame(int runner) const { return m_stanceFrames.at(runner); }
    PictureBox *strideFrame(int runner) const { return m_strideFrames.at(runner); }
    PictureBox *goalPose(int runner) const { return m_goalPoses.at(runner); }
    PictureBox *portrait(int runner) const { return m_portraits.at(runner); }
    FlatPanel *redPad() const { return m_redPad; }
    FlatPanel *bluePad() const { return m_bluePad; }
    FlatPanel *toolbar() const { return m_toolbar; }
    FlatPanel *selectionBar() const { return m_selectionBar; }

signals:
    // The side windows are wanted: once the first frame is out, so that they
    // never hold it up, and at once by a toolbar button that finds them not
    // attached yet. Whoever makes them attaches them.
    void sideWindowsWanted();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static consteval auto layout();

    void answerGameKeys(QWidget *window);
    void chooseRunner(int runner);
    void closeSelectionBar();
    void swapBars(FlatPanel *shown, PictureBox *focused);
    void moveRunnerBy(int runner, int step);
    void hearStride(Cue stride);
    void onPadLeft();
    void onRaceByEarKey();
    void onClockKey();
    void describeRunner();
    void finish(int runner);
    void enterFinishIntoRanking();

    PictureBox *m_trackStrip = nullptr;
    std::array<PictureBox *, RunnerCount> m_stanceFrames = {}; // frame A: waiting for the red pad
    std::array<PictureBox *, RunnerCount> m_strideFrames = {}; // frame B: waiting for the blue pad
    PictureBox *m_leftCloud = nullptr;
    PictureBox *m_rightCloud = nullptr;
    TextLabel *m_clockLabel = nullptr;
    std::array<PictureBox *, RunnerCount> m_goalPoses = {};
    FlatPanel *m_groundStrip = nullptr;
    TextLabel *m_goalArrow = nullptr;
    TextLabel *m_goalWords = nullptr;
    FlatPanel *m_redPad = nullptr;
    FlatPanel *m_bluePad = nullptr;
    FlatPanel *m_toolbar = nullptr;
    PictureBox *m_runnerButton = nullptr;
    PictureBox *m_exitButton = nullptr;
    PictureBox *m_retryButton = nullptr;
    PictureBox *m_rankingButton = nullptr;
    PictureBox *m_helpButton = nullptr;
    PictureBox *m_versionButton = nullptr;
    FlatPanel *m_selectionBar = nullptr;
    std::array<PictureBox *, RunnerCount> m_portraits = {};
    PictureBox *m_backButton = nullptr;

    MusicService &m_music;
    HelpEngine &m_help;
    TunePlayer *m_raceTune = nullptr;
    TunePlayer *m_goalTune = nullptr;
    std::unique_ptr<RaceClock> m_raceClock;
    RaceState m_race;
    ClockAnnouncements m_clockAnnouncements;
    SharedRanking m_ranking;
    QPointer<RankingWindow> m_rankingWindow;
    QPointer<VersionWindow> m_versionWindow;
    QPointer<QWidget> m_helpViewer; // the viewer that answers the game's keys
    SpokenNotice *m_notice = nullptr;
    QList<QPointer<QWidget>> m_stackedBeforeMinimise; // lowest first
    bool m_raceByEar = false;
    bool m_raceByEarChosen = false; // by the option or the key
    int m_quartersCalled = 0;       // in this race, by the race by ear
    bool m_painted = false;
};
