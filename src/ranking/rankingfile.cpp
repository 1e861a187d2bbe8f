#include "ranking/rankingfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "core/exception.h"

namespace {

using namespace std::chrono_literals;

// Another copy of the game holds the folder's lock for a few milliseconds at
// a time; one that keeps it longer (stopped in a debugger, say) is given up
// on rather than freezing this copy's window.
constexpr auto LockWait = 5s;

std::string fileName(const QString &path)
{
    return QFileInfo(path).fileName().toStdString();
}

[[noreturn]] void cannotOpen(const QString &path)
{
    throw EFOpenError("ファイル " + fileName(path) + " は開けません");
}

[[noreturn]] void cannotCreate(const QString &path)
{
    throw EFCreateError("ファイル " + fileName(path) + " を作成できません");
}

// A file descriptor, closed when it goes out of scope unless close() was
// called and said whether closing worked.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

// The lock two copies of the game take on their play folder: shared to read
// the ranking, exclusive to read, merge and write it. A lock on the folder,
// not on rank.mlt, whose file is replaced at every save. A file system
// without locks (some network ones) leaves the copies unlocked.
class FolderLock
{
public:
    FolderLock(const QString &path, int kind)
        : m_folder(::open(QFile::encodeName(QFileInfo(path).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        // Without the folder the file's own calls fail and say so.
        if (m_folder.get() < 0)
            return;
        const auto giveUp = std::chrono::steady_clock::now() + LockWait;
        while (flock(m_folder.get(), kind | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                return;
            if (std::chrono::steady_clock::now() >= giveUp) {
                m_refused = true;
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
    }

    // Another copy kept the folder locked for longer than LockWait.
    bool refused() const { return m_refused; }

private:
    Descriptor m_folder; // closing it lets go of the lock
    bool m_refused = false;
};

// What the folder holds under the ranking's name.
struct Stored
{
    enum State { Missing, NotAFile, Unreadable, Read } state;
    // Read: the first RankingTextLimit + 1 bytes. Breaks never get shorter
    // when the table takes the text, so that is enough to tell one too large.
    QByteArray bytes = {};
};

Stored readStored(const QString &path)
{
    // Not blocked by a pipe of that name.
    Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return {errno == ENOENT || errno == ENOTDIR ? Stored::Missing : Stored::Unreadable};
    struct stat status;
    if (fstat(file.get(), &status) != 0)
        return {Stored::Unreadable};
    if (!S_ISREG(status.st_mode))
        return {Stored::NotAFile};
    QByteArray bytes;
    char chunk[65536];
    while (bytes.size() <= qsizetype(RankingTextLimit)) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {Stored::Unreadable};
        if (got == 0)
            break;
        bytes.append(chunk, qMin(qsizetype(got), qsizetype(RankingTextLimit) + 1 - bytes.size()));
    }
    return {Stored::Read, bytes};
}

// The table's lines from a file's bytes; none when the table cannot hold them.
std::optional<RankingLines> rankingOf(const QByteArray &bytes)
{
    RankingLines table;
    try {
        table.setText(std::string_view(bytes.constData(), bytes.size()));
    } catch (const EOutOfCapacity &) {
        return std::nullopt;
    }
    return table;
}

bool writeAllAt(int fd, const QByteArray &bytes, off_t offset)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(fd, bytes.constData() + done, bytes.size() - done, offset + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Rewrites the file where it is, for a folder that takes no new file. The
// loader stops at a NUL byte, which this uses so that a kill at any moment
// leaves a file that reads as either the old ranking or the new one:
// 1. a longer ranking first gets its room as NUL bytes after the old text,
//    so a disk that refuses the room leaves the old file as it was;
// 2. one write puts the new text over the old, padded with NUL bytes to the
//    old length;
// 3. the padding is cut off.
// Each step is on the disk (fdatasync) before the next begins, so a power
// loss between steps leaves one ranking or the other too. What a power loss
// can still do: during step 2's write-back, leave a file longer than one disk
// block (4 KiB; a ranking of the game's own 40 lines is at most 2.8 KB) with
// some blocks old and some new. A kill can do the same to a text longer than
// one memory page (4 KiB), which the system copies a page at a time; and a
// failed write in step 2 may leave such a mix behind the error it reports.
bool rewriteInPlace(const QString &path, const QByteArray &bytes)
{
    Descriptor file(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC));
    struct stat status;
    if (file.get() < 0 || fstat(file.get(), &status) != 0)
        return false;
    const off_t oldSize = status.st_size;
    const off_t newSize = bytes.size();
    if (newSize > oldSize) {
        if (!writeAllAt(file.get(), QByteArray(newSize - oldSize, '\0'), oldSize) || fdatasync(file.get()) != 0) {
            // The file reads as the old ranking with or without the room.
            [[maybe_unused]] const int cut = ftruncate(file.get(), oldSize);
            return false;
        }
    }
    const QByteArray padded = bytes + QByteArray(qMax(off_t(0), oldSize - newSize), '\0');
    if (!writeAllAt(file.get(), padded, 0) || fdatasync(file.get()) != 0)
        return false;
    // The new ranking is on the disk: the cut only drops padding that the
    // loader never reads, so a refused cut leaves a longer file, not a
    // failed save.
    if (oldSize > newSize && ftruncate(file.get(), newSize) == 0)
        fdatasync(file.get());
    return file.close();
}

// The file a name stands for, following symbolic links as far as they go,
// so that a linked ranking is written where the link points.
QString linkTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

// A new file beside the old one, named after it, that then takes its place:
// the old file stays whole until the new one is complete and on the disk.
// Where the folder refuses a new file (EACCES, EPERM, EROFS) an existing one
// is rewritten in place; after any other refusal (a full disk, too many open
// files) that would only make things worse.
bool writeWhole(const QString &path, const QByteArray &bytes)
{
    const QString target = linkTarget(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old;
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    // A read-only ranking stays as it is.
    if (exists && (!S_ISREG(old.st_mode) || access(targetName.constData(), W_OK) != 0))
        return false;

    QByteArray temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName = targetName + '.';
        for (int i = 0; i < 6; ++i)
            temporaryName += "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[QRandomGenerator::global()->bounded(62)];
        // Nobody else may read it before it has the old file's permissions.
        fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const bool folderRefuses = errno == EACCES || errno == EPERM || errno == EROFS;
        return folderRefuses && exists && rewriteInPlace(target, bytes);
    }
    Descriptor file(fd);
    // A file system without permissions (FAT) refuses; the file then has
    // what that file system gives every file.
    if (exists)
        fchmod(fd, old.st_mode & 07777);
    if (writeAllAt(fd, bytes, 0) && fdatasync(fd) == 0 && file.close()
        && std::rename(temporaryName.constData(), targetName.constData()) == 0)
        return true;
    ::unlink(temporaryName.constData());
    return false;
}

} // namespace

RankingFile::RankingFile(const QString &path) : m_path(path) {}

void RankingFile::load(RankingLines &table)
{
    m_known.reset();
    const FolderLock lock(m_path, LOCK_SH);
    if (lock.refused())
        cannotOpen(m_path);
    const Stored stored = readStored(m_path);
    if (stored.state != Stored::Read)
        cannotOpen(m_path);
    table.setText(std::string_view(stored.bytes.constData(), stored.bytes.size()));
    m_known = stored.bytes;
}

void RankingFile::refresh(RankingLines &table)
{
    const FolderLock lock(m_path, LOCK_SH);
    if (lock.refused())
        return;
    const Stored stored = readStored(m_path);
    if (stored.state != Stored::Read || stored.bytes == m_known)
        return;
    if (std::optional<RankingLines> theirs = rankingOf(stored.bytes)) {
        table = std::move(*theirs);
        m_known = stored.bytes;
    }
}

void RankingFile::save(RankingLines &table, const Redo &redo)
{
    const FolderLock lock(m_path, LOCK_EX);
    if (lock.refused())
        cannotCreate(m_path);
    const Stored stored = readStored(m_path);
    if (stored.state == Stored::NotAFile)
        cannotCreate(m_path);
    // A file this copy could not load is the player's ranking all the same.
    bool unloadable = stored.state == Stored::Unreadable;
    if (stored.state == Stored::Read && stored.bytes != m_known) {
        if (std::optional<RankingLines> theirs = rankingOf(stored.bytes)) {
            // If redo fails, the table and the file stay as they were.
            redo(*theirs);
            table = std::move(*theirs);
            m_known = stored.bytes;
        } else {
            unloadable = true;
        }
    }

    const std::string text = table.text();
    // The next start would refuse the file, so the old one stays.
    if (text.size() > RankingTextLimit)
        throw EOutOfCapacity("ランキングが大きすぎるため ファイル " + fileName(m_path) + " に保存できません");
    if (unloadable && !keepAsBackup()) {
        // Said once a run; later finishes try the copy again and keep the
        // ranking in memory while it cannot be made.
        if (std::exchange(m_backupRefusalShown, true))
            return;
        const std::string file = fileName(m_path);
        const std::string backup = fileName(m_path + QStringLiteral(".bak"));
        throw EFCreateError("ファイル " + file + " を読み込めないため、上書きする前に写しを " + backup
                            + " に作ろうとしましたが、作成できません。" + file + " を別の場所に移すか、" + backup
                            + " を作れるようにすると、次のゴールから保存します。それまでランキングは保存されません");
    }
    const QByteArray bytes(text.data(), qsizetype(text.size()));
    if (!writeWhole(m_path, bytes))
        cannotCreate(m_path);
    m_known = bytes;
}

bool RankingFile::keepAsBackup()
{
    QFile old(m_path);
    if (!old.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = old.readAll();
    return old.error() == QFileDevice::NoError && writeWhole(m_path + QStringLiteral(".bak"), bytes);
}
