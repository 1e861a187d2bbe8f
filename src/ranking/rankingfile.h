#pragma once

#include <QString>

#include "ranking/rankinglines.h"

// The ranking file, "rank.mlt" in the working directory: the table's text as
// code page 932 bytes with CR LF breaks, read once at start-up and written
// after each insertion.
class RankingFile
{
public:
    explicit RankingFile(const QString &path = QStringLiteral("rank.mlt"));

    // Replaces the table's text with the file's. A file that cannot be opened
    // or read raises EFOpenError "ファイル rank.mlt は開けません"; one too
    // large raises the table's EOutOfCapacity. Either way the table keeps its
    // lines.
    void load(RankingLines &table);

    // Writes exactly table.text() to a new file that then replaces the old one,
    // so the old file stays whole until the new one is complete. Where the
    // folder takes no new file, an existing rank.mlt is rewritten in place: a
    // disk that refuses the bytes still leaves it whole, a kill mid-write may
    // not. A failure raises EFCreateError "ファイル rank.mlt を作成できません".
    // A text the next load would refuse (over RankingTextLimit) is not
    // written: EOutOfCapacity "ランキングが大きすぎるため ファイル rank.mlt に保存できません",
    // the old file untouched. A file that exists but could not be loaded is
    // first kept as "rank.mlt.bak", once.
    void save(const RankingLines &table);

private:
    void keepUnloadedFile();

    QString m_path;
    bool m_fileNotLoaded = false; // an existing file that the table does not hold
};
