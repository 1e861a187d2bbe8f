#include "ranking/sharedranking.h"

#include <QScopedValueRollback>

#include <thread>

namespace {

// Another copy holds the lock for a few milliseconds at a time.
constexpr std::chrono::milliseconds RetryInterval{20};

} // namespace

SharedRanking::SharedRanking(Guard guard, const QString &path, std::chrono::milliseconds lockWait)
    : m_guard(std::move(guard))
    , m_file(path)
    , m_lockWait(lockWait)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryInterval);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        // The finish being entered saves these along with its own entry; its
        // insertion must not find the table replaced under it.
        if (m_asking) {
            m_retry.start();
            return;
        }
        m_guard([this] { trySave(); });
    });
}

void SharedRanking::saveBeforeExit()
{
    m_retry.stop();
    if (m_unsaved.empty())
        return;
    const QDeadlineTimer giveUp(m_lockWait);
    const auto redo = [this](RankingLines &theirs) { reenterUnsaved(theirs); };
    for (;;) {
        const auto whenLocked = giveUp.hasExpired() ? RankingFile::WhenLocked::Fail : RankingFile::WhenLocked::TryLater;
        const RankingFile::Saved saved = m_file.save(m_lines, redo, whenLocked);
        if (saved == RankingFile::Saved::Written)
            m_unsaved.clear();
        if (saved != RankingFile::Saved::LockBusy)
            return;
        // No window is left to freeze.
        std::this_thread::sleep_for(RetryInterval);
    }
}

void SharedRanking::load()
{
    m_file.load(m_lines);
}

void SharedRanking::enterFinish(RaceState &race, const AskRankingName &askName)
{
    const auto redo = [this](RankingLines &theirs) { reenterUnsaved(theirs); };
    m_file.refresh(m_lines, redo);
    const QScopedValueRollback asking(m_asking, true);
    enterRanking(race, m_lines, askName, [&] { save(race); });
}

void SharedRanking::save(const RaceState &race)
{
    m_unsaved.push_back(race);
    m_giveUp.setRemainingTime(m_lockWait);
    trySave();
}

// Entries stay unsaved after a failure: the next save takes them along.
void SharedRanking::trySave()
{
    m_retry.stop();
    const auto whenLocked = m_giveUp.hasExpired() ? RankingFile::WhenLocked::Fail : RankingFile::WhenLocked::TryLater;
    switch (m_file.save(m_lines, [this](RankingLines &theirs) { reenterUnsaved(theirs); }, whenLocked)) {
    case RankingFile::Saved::Written:
        m_unsaved.clear();
        break;
    case RankingFile::Saved::LockBusy:
        m_retry.start();
        break;
    case RankingFile::Saved::KeptInMemory:
        break;
    }
}

void SharedRanking::reenterUnsaved(RankingLines &theirs) const
{
    reenterRanking(m_unsaved, theirs);
}
