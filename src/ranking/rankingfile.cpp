#include "ranking/rankingfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QDir>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/exception.h"

namespace {

std::string fileName(const QString &path)
{
    return QFileInfo(path).fileName().toStdString();
}

[[noreturn]] void cannotOpen(const QString &path)
{
    throw EFOpenError(Fault::FileNotOpened, {fileName(path)});
}

[[noreturn]] void cannotCreate(const QString &path)
{
    throw EFCreateError(Fault::FileNotCreated, {fileName(path)});
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
// not on rank.mlt, whose file is replaced at every save. It is only ever
// tried, never waited for: the game's windows must not freeze while another
// copy (stopped in a debugger, say) keeps it. A file system without locks
// (some network ones) leaves the copies unlocked.
class FolderLock
{
public:
    FolderLock(const QString &folder, int kind)
        : m_folder(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        // Without the folder the file's own calls fail and say so.
        if (m_folder.get() < 0)
            return;
        int result;
        do
            result = flock(m_folder.get(), kind | LOCK_NB);
        while (result != 0 && errno == EINTR);
        m_held = result == 0;
        m_busy = result != 0 && errno == EWOULDBLOCK;
    }

    // Another process holds the lock.
    bool busy() const { return m_busy; }
    // This process holds it: no other copy is in the middle of a save.
    bool held() const { return m_held; }

private:
    Descriptor m_folder; // closing it lets go of the lock
    bool m_held = false;
    bool m_busy = false;
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

// The folder whose lock the copies of the game take for a ranking: the one
// that holds the file itself, however each copy reaches it. Two play folders
// whose rank.mlt link to one file share a lock that way.
QString lockedFolder(const QString &path)
{
    return QFileInfo(linkTarget(path)).path();
}

// Whether the ranking at `target` may be written: a file this process may
// write, or none yet (the write then tells). A read-only ranking stays as it
// is. Opened to ask, as the system checks this process's writes.
bool mayWrite(const QString &target)
{
    const QByteArray name = QFile::encodeName(target);
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        return true;
    if (!S_ISREG(status.st_mode))
        return false;
    const Descriptor file(::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    return file.get() >= 0;
}

// The hidden name a new file has while it is written beside `target`:
// ".rank.mlt.Xy3k9Q.saving". Only a copy holding the folder's exclusive lock
// writes one, so one found while holding the lock was left by a kill.
QByteArray temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    QByteArray name = QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName()) + '.';
    for (int i = 0; i < 6; ++i)
        name += "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[QRandomGenerator::global()->bounded(62)];
    return name + ".saving";
}

void removeTemporariesFor(const QString &target)
{
    const QFileInfo info(target);
    const QRegularExpression left(QStringLiteral("^\\.%1\\..*[A-Za-z0-9]{6}\\.saving$")
                                      .arg(QRegularExpression::escape(info.fileName())));
    QDir folder = info.dir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (left.match(name).hasMatch())
            folder.remove(name);
}

// A new file beside `target` under a temporary name, holding `bytes` and on
// the disk, with the permissions of `like` if given. Returns its name, or
// nothing (errno says why) with nothing left behind.
std::optional<QByteArray> writeTemporary(const QString &target, const QByteArray &bytes,
                                         const struct stat *like)
{
    QByteArray name;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        name = temporaryNameFor(target);
        // Nobody else may read it before it has the old file's permissions.
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, like ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return std::nullopt;
    }
    if (fd < 0)
        return std::nullopt;
    Descriptor file(fd);
    // A file system without permissions (FAT) refuses; the file then has
    // what that file system gives every file.
    if (like)
        fchmod(fd, like->st_mode & 07777);
    if (writeAllAt(fd, bytes, 0) && fdatasync(fd) == 0 && file.close())
        return name;
    const int error = errno;
    ::unlink(name.constData());
    errno = error;
    return std::nullopt;
}

// EACCES, EPERM, EROFS: the folder takes no new file, or (sticky, the old
// file another user's) lets none replace the old one; either way rewriting
// the old file where it is may still be allowed. After any other refusal (a
// full disk, too many open files) that would only make things worse.
bool folderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// A new file beside the old one that then takes its place: the old file
// stays whole until the new one is complete and on the disk. Where the
// folder refuses that, an existing file is rewritten in place.
bool writeWhole(const QString &path, const QByteArray &bytes)
{
    const QString target = linkTarget(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old;
    const bool exists = ::stat(targetName.constData(), &old) == 0;

    const std::optional<QByteArray> temporary = writeTemporary(target, bytes, exists ? &old : nullptr);
    if (temporary && std::rename(temporary->constData(), targetName.constData()) == 0)
        return true;
    const int error = errno;
    if (temporary)
        ::unlink(temporary->constData());
    return folderRefuses(error) && exists && rewriteInPlace(target, bytes);
}

// A new file at `path` that never replaces one already there (EEXIST).
bool writeNew(const QString &path, const QByteArray &bytes)
{
    const std::optional<QByteArray> temporary = writeTemporary(path, bytes, nullptr);
    if (!temporary)
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (renameat2(AT_FDCWD, temporary->constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int error = errno;
    ::unlink(temporary->constData());
    errno = error;
    return false;
}

// The n-th copy kept of an unloadable ranking `file` (n from 1), beside it:
// rank.mlt.bak, rank.mlt.2.bak, rank.mlt.3.bak, …
QString backupName(const QString &file, int n)
{
    return n == 1 ? file + QStringLiteral(".bak") : file + QStringLiteral(".%1.bak").arg(n);
}

// The first copy's name that does not exist: an earlier copy of an
// unreadable ranking is the player's too, and is never replaced.
QString freeBackupName(const QString &file)
{
    int n = 1;
    while (QFileInfo::exists(backupName(file, n)) || QFileInfo(backupName(file, n)).isSymLink())
        ++n;
    return backupName(file, n);
}

// A copy of `file` at `backup`, unless an earlier copy holds the same bytes
// (a save after it failed): the file is kept once however often it is saved.
bool keepAsBackup(const QString &file, const QString &backup)
{
    QFile old(file);
    if (!old.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return false;
    for (int n = 1; backupName(file, n) != backup; ++n) {
        QFile copy(backupName(file, n));
        if (copy.size() == bytes.size() && copy.open(QIODevice::ReadOnly) && copy.readAll() == bytes)
            return true;
    }
    return writeNew(backup, bytes);
}

} // namespace

RankingFile::RankingFile(const QString &path) : m_path(path) {}

// Beside the file itself, where saves write them, under that folder's lock.
void RankingFile::removeTemporaries() const
{
    removeTemporariesFor(linkTarget(m_path));
}

void RankingFile::load(RankingLines &table)
{
    m_known.reset();
    // A copy saving just now is not waited for: a save replaces the file
    // whole, and each one compares what it finds under the lock.
    const FolderLock lock(lockedFolder(m_path), LOCK_SH);
    if (lock.held())
        removeTemporaries();
    const Stored stored = readStored(m_path);
    if (stored.state != Stored::Read)
        cannotOpen(m_path);
    table.setText(std::string_view(stored.bytes.constData(), stored.bytes.size()));
    m_known = stored.bytes;
}

void RankingFile::refresh(RankingLines &table, const Redo &redo)
{
    const FolderLock lock(lockedFolder(m_path), LOCK_SH);
    if (lock.busy())
        return;
    const Stored stored = readStored(m_path);
    if (stored.state != Stored::Read || stored.bytes == m_known)
        return;
    if (std::optional<RankingLines> theirs = rankingOf(stored.bytes)) {
        redo(*theirs);
        table = std::move(*theirs);
        m_known = stored.bytes;
    }
}

RankingFile::Saved RankingFile::save(RankingLines &table, const Redo &redo, WhenLocked whenLocked)
{
    const FolderLock lock(lockedFolder(m_path), LOCK_EX);
    if (lock.busy()) {
        if (whenLocked == WhenLocked::TryLater)
            return Saved::LockBusy;
        cannotCreate(m_path);
    }
    if (lock.held())
        removeTemporaries();
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
        throw EOutOfCapacity(Fault::RankingTooLarge, {fileName(m_path)});
    // A save that cannot happen makes no copy of the file it would replace.
    if (!mayWrite(linkTarget(m_path)))
        cannotCreate(m_path);
    if (unloadable) {
        // Beside the file itself, where its saves and their clean-up are:
        // the play folders whose rank.mlt link to it share the copy.
        const QString file = linkTarget(m_path);
        const QString backup = freeBackupName(file);
        if (!keepAsBackup(file, backup)) {
            // Said once a run; later finishes try the copy again and keep
            // the ranking in memory while it cannot be made.
            if (std::exchange(m_backupRefusalShown, true))
                return Saved::KeptInMemory;
            throw EFCreateError(Fault::BackupNotMade, {fileName(m_path), fileName(backup)});
        }
    }
    const QByteArray bytes(text.data(), qsizetype(text.size()));
    if (!writeWhole(m_path, bytes))
        cannotCreate(m_path);
    m_known = bytes;
    return Saved::Written;
}
