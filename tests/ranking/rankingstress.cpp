// Three copies of the game's ranking in one play folder, each a process of
// its own, finishing races at random moments with random times and names,
// while a fourth process takes the folder's lock for random spans and now
// and then, holding it, puts another ranking in rank.mlt, as a player editing
// it by hand would. Afterwards:
//   - no copy asked twice for one race;
//   - as a copy ends, its last save writes every entry it has left, or it
//     says the save failed;
//   - every name a copy saved is in the file exactly once, unless faster
//     times pushed it out or another ranking replaced the file after it was
//     saved (then it was in the file the replacement found);
//   - no file but rank.mlt is left in the folder;
// and the longest time a copy's event loop stood still is printed, with the
// longest of the ranking's own calls (without the name dialog) within it.
// Linked, the first copy plays in the file's folder and the others each in a
// folder of their own whose rank.mlt links to that file, as players share a
// ranking; the lock holder takes the file's folder's lock, and the copies'
// folders too hold nothing but their link afterwards.
//
//   rankingstress [SECONDS] [linked]   the whole run, SECONDS of racing (default 10)
// The copies and the lock holder are this program again:
//   rankingstress copy ID SECONDS SEED
//   rankingstress locker SECONDS SEED
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "core/exception.h"
#include "ranking/sharedranking.h"

using namespace std::chrono_literals;

namespace {

// Shorter than the game's, so that a short run sees saves that fail for
// good and entries carried into later saves.
constexpr auto CopiesLockWait = 400ms;
constexpr int Copies = 3;

// Nanoseconds on the clock every process of the machine shares.
qint64 now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A random valid ranking: ten entries in order, named after the replacement.
QByteArray randomRanking(QRandomGenerator &random, int replacement)
{
    QList<int> times;
    for (int k = 0; k < RankingPlaces; ++k)
        times << 50 + int(random.bounded(550));
    std::sort(times.begin(), times.end());
    QByteArray columns[4];
    for (int k = 0; k < RankingPlaces; ++k) {
        columns[0] += QByteArray::number(times[k] / 10) + "\r\n";
        columns[1] += QByteArray::number(times[k] % 10) + "\r\n";
        columns[2] += "r" + QByteArray::number(replacement) + "-" + QByteArray::number(k) + "\r\n";
        columns[3] += QByteArray::number(times[k]) + "\r\n";
    }
    return columns[0] + columns[1] + columns[2] + columns[3] + "\r\n\r\n\r\n\r\n\r\n";
}

// The ten places of a ranking file's bytes, as "time name" (name in hex).
QByteArray placesOf(const QByteArray &bytes)
{
    RankingLines table;
    table.setText(std::string_view(bytes.constData(), bytes.size()));
    QByteArray places;
    for (int k = 0; k < RankingPlaces; ++k)
        places += ' ' + QByteArray::fromStdString(table.line(TimeColumn + k)) + ':'
                  + QByteArray::fromStdString(table.line(NameColumn + k)).toHex();
    return places;
}

// One copy of the game: finishes, its name dialog open a random while, the
// event loop's heartbeat every 2 ms.
int copy(int id, int seconds, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<QByteArray> unsavedNames;
    int finishes = 0;
    qint64 longestBlockNs = 0, longestCallNs = 0;
    SharedRanking *rankingPointer = nullptr;
    const auto noteSaved = [&] {
        if (rankingPointer->allSaved() && !unsavedNames.isEmpty()) {
            say("saved " + QByteArray::number(now()) + ' ' + unsavedNames.join(' '));
            unsavedNames.clear();
        }
    };
    SharedRanking ranking(
        [&](const std::function<void()> &work) {
            QElapsedTimer call;
            call.start();
            try {
                work();
            } catch (const Exception &error) {
                say(QByteArray("error ") + error.what());
            }
            longestCallNs = std::max(longestCallNs, call.nsecsElapsed());
            noteSaved();
        },
        QStringLiteral("rank.mlt"), CopiesLockWait);
    rankingPointer = &ranking;
    try {
        ranking.load();
    } catch (const Exception &error) {
        say(QByteArray("error ") + error.what());
    }

    QElapsedTimer beat;
    beat.start();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestBlockNs = std::max(longestBlockNs, beat.nsecsElapsed());
        beat.restart();
    });
    heartbeat.start(2);

    QElapsedTimer running;
    running.start();
    QTimer nextFinish;
    nextFinish.setSingleShot(true);
    QObject::connect(&nextFinish, &QTimer::timeout, [&] {
        ++finishes;
        const QByteArray name = "c" + QByteArray::number(id) + "-" + QByteArray::number(finishes);
        RaceState race;
        const int score = 1 + int(random.bounded(600));
        race.seconds = score / 10;
        race.tenths = score % 10;
        int asked = 0;
        qint64 dialogNs = 0;
        QElapsedTimer call;
        call.start();
        try {
            ranking.enterFinish(race, [&](int) {
                if (++asked > 1)
                    say("twice " + name);
                say("asked " + name + ' ' + QByteArray::number(score) + ' ' + QByteArray::number(now()));
                // The player types while the event loop goes on.
                QElapsedTimer open;
                open.start();
                QEventLoop dialog;
                QTimer::singleShot(int(random.bounded(80)), &dialog, &QEventLoop::quit);
                dialog.exec();
                dialogNs += open.nsecsElapsed();
                return name.toStdString();
            });
        } catch (const Exception &error) {
            say(QByteArray("error ") + error.what());
        }
        longestCallNs = std::max(longestCallNs, call.nsecsElapsed() - dialogNs);
        if (asked)
            unsavedNames << name;
        noteSaved();
        if (running.elapsed() < seconds * 1000)
            nextFinish.start(int(random.bounded(120)));
        else // the last saves still waiting for the lock
            QTimer::singleShot(2 * CopiesLockWait, qApp, &QCoreApplication::quit);
    });
    nextFinish.start(int(random.bounded(120)));
    QCoreApplication::exec();

    // The game's exit: the last save of what is left, or a word that it failed.
    QByteArray unsaved = "lost ";
    try {
        ranking.saveBeforeExit();
    } catch (const Exception &error) {
        say(QByteArray("error ") + error.what());
        unsaved = "unsaved ";
    }
    noteSaved();
    if (!unsavedNames.isEmpty())
        say(unsaved + unsavedNames.join(' '));
    say("finishes " + QByteArray::number(finishes));
    say("block " + QByteArray::number(longestBlockNs) + ' ' + QByteArray::number(longestCallNs));
    return 0;
}

// The lock holder: holds the folder's lock for random spans, some longer
// than the copies wait, and now and then puts another ranking in the file;
// at the end, once more while the copies end.
int locker(int seconds, quint32 seed)
{
    QRandomGenerator random(seed);
    const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QElapsedTimer running;
    running.start();
    int holds = 0, replacements = 0;
    while (running.elapsed() < seconds * 1000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(300)));
        if (flock(folder, LOCK_EX) != 0)
            return 1;
        const qint64 locked = now();
        ++holds;
        if (random.bounded(4) == 0) {
            QFile current("rank.mlt");
            if (!current.open(QIODevice::ReadOnly))
                return 1;
            say("replaced " + QByteArray::number(locked) + placesOf(current.readAll()));
            QSaveFile replacement("rank.mlt");
            if (!replacement.open(QIODevice::WriteOnly) || replacement.write(randomRanking(random, ++replacements)) < 0
                || !replacement.commit())
                return 1;
        }
        const bool pastTheWait = random.bounded(10) == 0;
        std::this_thread::sleep_for(pastTheWait ? CopiesLockWait + std::chrono::milliseconds(random.bounded(400))
                                                : std::chrono::milliseconds(random.bounded(150)));
        flock(folder, LOCK_UN);
    }
    // A last hold as the copies end: their last saves, at the exit, find the
    // lock free, wait for it or fail.
    if (flock(folder, LOCK_EX) != 0)
        return 1;
    ++holds;
    std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(5 * int(CopiesLockWait.count()))));
    flock(folder, LOCK_UN);
    say("holds " + QByteArray::number(holds));
    return 0;
}

struct Snapshot
{
    qint64 taken; // while the lock holder held the lock
    QMap<QByteArray, int> names; // name: how often
    QList<int> times;
};

Snapshot snapshotOf(qint64 taken, const QList<QByteArray> &places)
{
    Snapshot snapshot{taken, {}, {}};
    for (const QByteArray &place : places) {
        const QList<QByteArray> parts = place.split(':');
        snapshot.times << parts[0].toInt();
        ++snapshot.names[QByteArray::fromHex(parts.value(1))];
    }
    return snapshot;
}

// The name is there, or ten places at least as fast as its time hold it
// out.
bool heldOrPushedOut(const Snapshot &snapshot, const QByteArray &name, int score)
{
    return snapshot.names.contains(name)
           || std::all_of(snapshot.times.begin(), snapshot.times.end(), [&](int time) { return time <= score; });
}

int run(int seconds, bool linked)
{
    QTemporaryDir folder;
    QTemporaryDir ownFolders;
    QStringList playFolders;
    for (int i = 0; i < Copies; ++i) {
        if (!linked || i == 0) {
            playFolders << folder.path();
            continue;
        }
        playFolders << ownFolders.filePath(QString::number(i));
        if (!QDir().mkdir(playFolders.last()) || !QFile::link(folder.filePath("rank.mlt"), playFolders.last() + "/rank.mlt"))
            return 2;
    }
    {
        QFile start(folder.filePath("rank.mlt"));
        const std::string builtIn = builtInRankingLines().text();
        if (!start.open(QIODevice::WriteOnly) || start.write(builtIn.data(), qint64(builtIn.size())) < 0)
            return 2;
    }
    const quint32 seed = QRandomGenerator::global()->generate();
    std::printf("seed %u\n", seed);
    // Each process says what it did into a file of its own: a pipe that
    // nobody reads while the driver waits for another process would fill up
    // and stop the copy.
    QTemporaryDir logs;
    QProcess processes[Copies + 1];
    for (int i = 0; i <= Copies; ++i) {
        processes[i].setWorkingDirectory(i < Copies ? playFolders[i] : folder.path());
        processes[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processes[i].setStandardOutputFile(logs.filePath(QString::number(i)));
        const QStringList arguments = i < Copies ? QStringList{"copy", QString::number(i + 1)} : QStringList{"locker"};
        processes[i].start(QCoreApplication::applicationFilePath(),
                           arguments + QStringList{QString::number(seconds), QString::number(seed + i)});
    }

    struct Asked
    {
        int score;
        qint64 at;
        qint64 savedBy = -1;
    };
    QMap<QByteArray, Asked> asked;
    QList<Snapshot> snapshots;
    QStringList failures;
    int finishes = 0, refusedSaves = 0, holds = 0, unsaved = 0;
    qint64 longestBlockNs = 0, longestCallNs = 0;
    for (int i = 0; i <= Copies; ++i) {
        QProcess &process = processes[i];
        if (!process.waitForFinished((seconds + 60) * 1000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            failures << "a process did not end well: " + process.program() + ' ' + process.arguments().join(' ');
            continue;
        }
        QFile log(logs.filePath(QString::number(i)));
        if (!log.open(QIODevice::ReadOnly))
            return 2;
        for (const QByteArray &line : log.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            const QByteArray &what = words[0];
            if (what == "asked")
                asked.insert(words[1], {words[2].toInt(), words[3].toLongLong()});
            else if (what == "saved")
                for (const QByteArray &name : words.mid(2))
                    asked[name].savedBy = words[1].toLongLong();
            else if (what == "twice")
                failures << "asked twice for " + QString::fromLatin1(words[1]);
            else if (what == "error")
                ++refusedSaves;
            else if (what == "unsaved")
                unsaved += words.size() - 1;
            else if (what == "lost")
                failures << "lost without a word at the exit: " + QString::fromLatin1(line.mid(5));
            else if (what == "finishes")
                finishes += words[1].toInt();
            else if (what == "block") {
                longestBlockNs = std::max(longestBlockNs, words[1].toLongLong());
                longestCallNs = std::max(longestCallNs, words[2].toLongLong());
            }
            else if (what == "replaced")
                snapshots << snapshotOf(words[1].toLongLong(), words.mid(2));
            else if (what == "holds")
                holds = words[1].toInt();
        }
    }
    QFile last(folder.filePath("rank.mlt"));
    if (!last.open(QIODevice::ReadOnly))
        return 2;
    snapshots << snapshotOf(std::numeric_limits<qint64>::max(), placesOf(last.readAll()).trimmed().split(' '));

    for (const Snapshot &snapshot : snapshots)
        for (auto [name, count] : snapshot.names.asKeyValueRange())
            if (name.startsWith('c') && count > 1)
                failures << QStringLiteral("%1 is in the file %2 times").arg(QString::fromLatin1(name)).arg(count);
    for (auto [name, race] : asked.asKeyValueRange()) {
        if (race.savedBy < 0)
            continue;
        // Between its dialog and the moment its copy knew it saved, the save
        // may have come before or after a replacement; the first snapshot
        // after that moment follows the save for certain.
        bool found = false;
        for (const Snapshot &snapshot : snapshots) {
            if (snapshot.taken <= race.at)
                continue;
            found = found || heldOrPushedOut(snapshot, name, race.score);
            if (snapshot.taken > race.savedBy)
                break;
        }
        if (!found)
            failures << "lost " + QString::fromLatin1(name);
    }
    playFolders.removeDuplicates();
    for (const QString &playFolder : playFolders) {
        const QStringList left = QDir(playFolder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        if (left != QStringList{"rank.mlt"})
            failures << "left in " + playFolder + ": " + left.join(' ');
    }

    std::printf("%s: ", linked ? "one file reached through links" : "one folder");
    std::printf("%d finishes in %d s by %d copies, %lld names asked, %d saves refused for good, %d entries never "
                "saved; the lock held %d times, the file replaced %lld times\n",
                finishes, seconds, Copies, qlonglong(asked.size()), refusedSaves, unsaved, holds,
                qlonglong(snapshots.size() - 1));
    std::printf("longest block of a copy's event loop: %.1f ms; longest call of the ranking's code: %.1f ms\n",
                longestBlockNs / 1e6, longestCallNs / 1e6);
    for (const QString &failure : failures.mid(0, 20))
        std::printf("FAIL: %s\n", qPrintable(failure));
    return failures.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.size() == 4 && arguments[0] == "copy")
        return copy(arguments[1].toInt(), arguments[2].toInt(), arguments[3].toUInt());
    if (arguments.size() == 3 && arguments[0] == "locker")
        return locker(arguments[1].toInt(), arguments[2].toUInt());
    const bool linked = arguments.size() == 2 && arguments[1] == "linked";
    if (arguments.size() <= 1 || linked)
        return run(arguments.isEmpty() ? 10 : std::max(1, arguments[0].toInt()), linked);
    std::fputs("usage: rankingstress [SECONDS] [linked]\n", stderr);
    return 2;
}
