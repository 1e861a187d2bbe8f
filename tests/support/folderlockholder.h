#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Another copy's hold on a play folder's lock, while it lives. Taken through
// a descriptor of its own, it keeps the game's code in this process out as
// another process's hold would.
class FolderLockHolder
{
public:
    explicit FolderLockHolder(const QString &folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        flock(m_fd, LOCK_EX);
    }
    FolderLockHolder(const FolderLockHolder &) = delete;
    FolderLockHolder &operator=(const FolderLockHolder &) = delete;
    ~FolderLockHolder() { ::close(m_fd); }

private:
    int m_fd;
};
