#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

#include "ranking/rankinglines.h"

// The ranking file, "rank.mlt" in the working directory: the table's text as
// code page 932 bytes with CR LF breaks, read at start-up and written after
// each insertion.
//
// Two copies of the game may share a play folder. Each reads, merges and
// writes under a lock on the folder that the other takes too, and a save
// that finds the file changed since this copy last read or wrote it makes
// this copy's insertions again on the file's ranking instead of writing over
// it: neither copy loses an entry of the other. The lock is only tried,
// never waited for (see FolderLock in rankingfile.cpp).
class RankingFile
{
public:
    explicit RankingFile(const QString &path = QStringLiteral("rank.mlt"));

    // Replaces the table's text with the file's. A file that cannot be opened
    // or read raises EFOpenError (Fault::FileNotOpened); one too
    // large raises the table's EOutOfCapacity. Either way the table keeps its
    // lines. Read without the lock while another copy holds it.
    void load(RankingLines &table);

    // Makes this copy's changes again on a ranking another copy has saved.
    using Redo = std::function<void(RankingLines &table)>;

    // Takes the file's ranking, with `redo` applied, into the table if
    // another copy of the game has saved since this one last read or wrote
    // the file, so that a finish is placed among every entry saved so far.
    // Says nothing: a file that cannot be read now, or another copy holding
    // the lock, leaves the table as it is.
    void refresh(RankingLines &table, const Redo &redo);

    enum class WhenLocked { TryLater, Fail };
    enum class Saved {
        Written,
        LockBusy,     // another process holds the folder's lock: nothing done
        KeptInMemory, // the unreadable file could not be copied aside, said before
    };

    // Writes exactly table.text(). If the file changed since this copy last
    // read or wrote it, the table first takes the file's ranking and `redo`
    // is applied to it. A new file replaces the old one, so the old one stays
    // whole until the new one is complete; where the folder refuses that, the
    // old one is rewritten in place (see rankingfile.cpp for what a crash can
    // leave). A failure raises EFCreateError (Fault::FileNotCreated),
    // the old file as it was; so does a lock held by another process, unless
    // told to try later. A text the next load would refuse (over
    // RankingTextLimit) is not written: EOutOfCapacity (Fault::RankingTooLarge).
    // A file that exists but cannot be loaded is first copied to
    // "rank.mlt.bak", or "rank.mlt.2.bak" and so on when that exists, unless
    // an earlier copy holds the same bytes; a file this process may not
    // write is not copied, the save fails first. While the copy cannot be
    // made, nothing is written: the first such save of a run raises
    // EFCreateError (Fault::BackupNotMade, with the copy's name), later ones keep the ranking in
    // memory without a word.
    //
    // The lock is the folder's that holds the file itself, and so are the
    // temporary files and the copies: a rank.mlt that links to a file
    // elsewhere shares them with every copy that reaches that file.
    Saved save(RankingLines &table, const Redo &redo, WhenLocked whenLocked = WhenLocked::Fail);

private:
    // The temporary files of saves that a kill cut short.
    void removeTemporaries() const;

    QString m_path;
    // The bytes this copy last read from or wrote to the file; none until it
    // has read a ranking from it or written one.
    std::optional<QByteArray> m_known;
    bool m_backupRefusalShown = false;
};
