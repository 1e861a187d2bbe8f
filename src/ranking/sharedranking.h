#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <vector>

#include "race/race.h"
#include "ranking/insertion.h"
#include "ranking/rankingfile.h"
#include "ranking/rankinglines.h"

// This copy's ranking: the table the windows show, its file, and this copy's
// entries on their way into the file, which other copies of the game in the
// same folder write too.
//
// Nothing here waits for another copy. A save that finds the folder locked
// is tried again from the event loop until the lock is free or `lockWait`
// has passed, and only then does the player hear of it. Until an entry is in
// the file, every ranking this copy takes from the file gets it again, so a
// save (this copy's or a later one) never drops an entry the player has seen
// accepted.
class SharedRanking : public QObject
{
public:
    // Runs work that Qt calls (a save tried again); the game passes its guard,
    // which shows what the work raised in the error box.
    using Guard = std::function<void(const std::function<void()> &work)>;

    static constexpr std::chrono::milliseconds DefaultLockWait{5000};

    explicit SharedRanking(Guard guard, const QString &path = QStringLiteral("rank.mlt"),
                           std::chrono::milliseconds lockWait = DefaultLockWait);

    const RankingLines &lines() const { return m_lines; }

    // Start-up: the file's ranking replaces the built-in one. Raises the
    // file's errors; the built-in ranking then stays.
    void load();

    // Places a finished race among what the file holds now (if no other copy
    // is writing it just then), asks its name if it ranks and saves it.
    void enterFinish(RaceState &race, const AskRankingName &askName);

    // Every entry this copy made is in the file.
    bool allSaved() const { return m_unsaved.empty(); }

    // As the program ends, its windows gone: entries not saved yet get one
    // last save, which waits for another copy's lock as long as a save
    // would have. Raises the save's error, EFCreateError where the lock
    // stayed taken, for the player to hear that a race was not saved. Nothing
    // is tried after it.
    void saveBeforeExit();

private:
    void save(const RaceState &race);
    void trySave();
    void reenterUnsaved(RankingLines &theirs) const;

    Guard m_guard;
    RankingFile m_file;
    RankingLines m_lines = builtInRankingLines();
    std::vector<RaceState> m_unsaved; // in the order they were entered
    std::chrono::milliseconds m_lockWait;
    QDeadlineTimer m_giveUp;
    QTimer m_retry;
    bool m_asking = false; // a finish is being entered, its name dialog open
};
