#include "ranking/rankingfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/exception.h"

namespace {

std::string fileName(const QString &path)
{
    return QFileInfo(path).fileName().toStdString();
}

[[noreturn]] void cannotCreate(const QString &path)
{
    throw EFCreateError("ファイル " + fileName(path) + " を作成できません");
}

// Rewrites an existing file without creating another one, keeping its old
// bytes when the disk refuses the new ones: the part that grows the file is
// written first, past the old end, and cut off again if it fails; the rest
// only overwrites bytes the file already has room for.
bool writeInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    // Unbuffered, so that a refused write leaves nothing pending that would
    // stop the cut back.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const qint64 oldSize = file.size();
    const qint64 newSize = bytes.size();
    if (newSize > oldSize) {
        const qint64 growth = newSize - oldSize;
        if (!file.seek(oldSize) || file.write(bytes.constData() + oldSize, growth) != growth) {
            file.resize(oldSize);
            return false;
        }
    }
    const qint64 overwritten = qMin(oldSize, newSize);
    return file.seek(0) && file.write(bytes.constData(), overwritten) == overwritten && file.resize(newSize);
}

void writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // A folder where no new file may be created can still hold a
        // writable file of that name. QSaveFile's own direct-write fallback
        // truncates it first, so a full disk would lose the old bytes.
        if (!QFileInfo(path).isFile() || !writeInPlace(path, bytes))
            cannotCreate(path);
        return;
    }
    // Qt 6.4's commit() misses an error of the final flush and would put a
    // cut-off file in place, so flush first; without a commit the new file
    // is thrown away.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        cannotCreate(path);
}

} // namespace

RankingFile::RankingFile(const QString &path) : m_path(path) {}

void RankingFile::load(RankingLines &table)
{
    // Until the table holds the file, a save would replace the player's
    // ranking with the built-in one.
    m_fileNotLoaded = QFileInfo::exists(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError("ファイル " + fileName(m_path) + " は開けません");
    // Breaks never get shorter when the table takes the text, so one byte
    // beyond its limit is enough to tell a text too large.
    const QByteArray bytes = file.read(static_cast<qint64>(RankingTextLimit) + 1);
    if (file.error() != QFileDevice::NoError)
        throw EFOpenError("ファイル " + fileName(m_path) + " は開けません");
    table.setText(std::string_view(bytes.constData(), bytes.size()));
    m_fileNotLoaded = false;
}

void RankingFile::save(const RankingLines &table)
{
    const std::string text = table.text();
    // The next start would refuse the file, so the old one stays.
    if (text.size() > RankingTextLimit)
        throw EOutOfCapacity("ランキングが大きすぎるため ファイル " + fileName(m_path) + " に保存できません");
    if (m_fileNotLoaded)
        keepUnloadedFile();
    writeWhole(m_path, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

void RankingFile::keepUnloadedFile()
{
    QFile old(m_path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            cannotCreate(m_path + QStringLiteral(".bak"));
        const QByteArray bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            cannotCreate(m_path + QStringLiteral(".bak"));
        writeWhole(m_path + QStringLiteral(".bak"), bytes);
    }
    m_fileNotLoaded = false;
}
