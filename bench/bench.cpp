// Figures of the race screen, the synth and the ranking file, printed for
// bench/run.sh.
// Usage: milta_bench stride [strides] | clock | synth | ranking
// Run in a folder holding the two tunes; stride and clock need a platform
// (offscreen is enough).
#include "paintcounter.h"

#include "media/tuneplayer.h"
#include "ranking/insertion.h"
#include "ranking/rankingfile.h"
#include "ranking/rankinglines.h"
#include "ui/helpviewer.h"
#include "ui/racewindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A race clock that never ticks: only the strides are measured.
class StillClock : public RaceClock
{
public:
    void start() override { m_running = true; }
    void stop() override { m_running = false; }
    bool isRunning() const override { return m_running; }
    qint64 elapsedMs() const override { return 0; }

private:
    bool m_running = false;
};

// The race screen as the game makes it, with the game's music.
struct Game
{
    explicit Game(std::unique_ptr<RaceClock> clock = {}) : window(music, help, std::move(clock)) {}
    MusicService music{MusicService::Output::SoundCard};
    HelpEngine help;
    RaceWindow window;
};

// Strides as the pads give them, each followed by the repaint it causes.
__attribute__((noinline)) void runStrides(RaceWindow &window, int strides)
{
    for (int n = 0; n < strides; ++n) {
        window.onRedPadMoved();
        window.onBluePadMoved();
        QCoreApplication::processEvents();
    }
}

// Shows the race screen and lets it settle: painted, the synth made.
void showSettled(RaceWindow &window)
{
    window.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

int stride(int strides)
{
    Game game(std::make_unique<StillClock>());
    RaceWindow &window = game.window;
    showSettled(window);
    PaintCounter counter;
    qint64 ns = 0;
    // Runs of 70 strides from the start line, so that the runner stays on
    // the track; the start of each race is not measured.
    for (int done = 0; done < strides; done += 70) {
        window.onRetryClicked();
        window.onRedPadMoved();
        window.onBluePadMoved();
        QCoreApplication::processEvents();
        qApp->installEventFilter(&counter);
        QElapsedTimer timer;
        timer.start();
        runStrides(window, std::min(70, strides - done));
        ns += timer.nsecsElapsed();
        qApp->removeEventFilter(&counter);
    }
    std::printf("stride: %.4f ms per stride over %d strides; %.2f paint events and %.0f pixels "
                "painted per stride\n",
                ns / 1e6 / strides, strides, double(counter.events) / strides,
                double(counter.pixels) / strides);
    return 0;
}

int clockTicks()
{
    auto timerClock = std::make_unique<TimerRaceClock>();
    RaceClock *clock = timerClock.get();
    Game game(std::move(timerClock));
    showSettled(game.window);
    std::vector<qint64> at;
    QElapsedTimer wall;
    QObject::connect(clock, &RaceClock::ticked, [&] {
        at.push_back(wall.nsecsElapsed());
        if (at.size() == 100)
            QCoreApplication::quit();
    });
    wall.start();
    game.window.onRedPadMoved(); // the first move starts the clock
    QCoreApplication::exec();
    double worst = 0;
    for (std::size_t i = 1; i < at.size(); ++i)
        worst = std::max(worst, std::abs((at[i] - at[i - 1]) / 1e6 - ClockIntervalMs));
    const double total = at.back() / 1e6;
    std::printf("clock: 100 ticks in %.2f ms of wall clock (drift %+.2f ms against 7000 ms), "
                "worst interval off by %.2f ms; shows %s\n",
                total, total - 100.0 * ClockIntervalMs, worst,
                game.window.clockLabel()->text().toUtf8().constData());
    return 0;
}

long residentKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// The synth as the game makes it, with the game's two tunes, in a process
// that has nothing else to do: what it adds to the resident memory once made,
// and once the race tune has played (its instruments' samples read).
int synth()
{
    MusicService music(MusicService::Output::Manual);
    TunePlayer raceTune(music, QStringLiteral("100m.mid")), goalTune(music, QStringLiteral("goal.mid"));
    raceTune.open();
    goalTune.open();
    const long before = residentKib();
    float left[64], right[64];
    music.render(left, right, 64); // makes the synth and waits for it
    const long made = residentKib();
    raceTune.play();
    QElapsedTimer playing;
    playing.start();
    while (playing.elapsed() < 2000)
        music.render(left, right, 64);
    std::printf("synth alone: %.1f MiB once made (FluidSynth and its libraries, 128 voices, the presets of "
                "the tunes' programs), %.1f MiB with the race tune playing\n",
                (made - before) / 1024.0, (residentKib() - before) / 1024.0);
    return 0;
}

double medianMs(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int ranking()
{
    // The largest text the table takes: lines of 253 bytes and a break.
    std::string text;
    const std::string line(253, 'a');
    while (text.size() + line.size() + 2 <= RankingTextLimit)
        text += line + "\r\n";
    {
        QFile file("rank.mlt");
        if (!file.open(QIODevice::WriteOnly)
            || file.write(text.data(), qint64(text.size())) != qint64(text.size()))
            return 1;
    }
    RankingFile rankingFile;
    RankingLines table;
    std::vector<double> loads, saves;
    for (int n = 0; n < 21; ++n) {
        QElapsedTimer timer;
        timer.start();
        rankingFile.load(table);
        loads.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        rankingFile.save(table, [](RankingLines &) {});
        saves.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("ranking: %zu bytes, %d lines: load %.2f ms, save %.2f ms (medians of 21)\n",
                text.size(), table.lineCount(), medianMs(loads), medianMs(saves));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (what == "stride")
        return stride(argc > 2 ? std::atoi(argv[2]) : 7000);
    if (what == "clock")
        return clockTicks();
    if (what == "synth")
        return synth();
    if (what == "ranking")
        return ranking();
    std::fprintf(stderr, "usage: milta_bench stride [strides] | clock | synth | ranking\n");
    return 2;
}
