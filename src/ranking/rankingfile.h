#pragma once

#include <QString>

#include "ranking/memo.h"

// The ranking file, "rank.mlt" in the working directory: the memo's text as
// code page 932 bytes with CR LF breaks, read once at start-up and written
// after each insertion.
class RankingFile
{
public:
    explicit RankingFile(const QString &path = QStringLiteral("rank.mlt"));

    // Replaces the memo's text with the file's. A file that cannot be opened
    // or read raises EFOpenError "ファイル rank.mlt は開けません"; one too
    // large raises the memo's EOutOfCapacity. Either way the memo keeps its
    // lines.
    void load(TMemo &memo);

    // Writes exactly memo.text() to a new file that then replaces the old one,
    // so the old file stays whole until the new one is complete. A failure
    // raises EFCreateError "ファイル rank.mlt を作成できません". A file that
    // exists but could not be loaded is first kept as "rank.mlt.bak", once.
    void save(const TMemo &memo);

private:
    void keepUnloadedFile();

    QString m_path;
    bool m_fileNotLoaded = false; // an existing file that the memo does not hold
};
