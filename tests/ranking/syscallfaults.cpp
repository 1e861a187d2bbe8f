#include "syscallfaults.h"

#include <csignal>
#include <cstdarg>
#include <fcntl.h>
#include <sys/types.h>

namespace {

bool armed = false;
int counted = 0;
int faultyCall = 0;
SyscallFaults::Fault fault = SyscallFaults::Fault::Fail;
int faultError = 0;
int newFileError = 0;
int renameError = 0;

template <class Call>
auto around(Call call) -> decltype(call())
{
    if (!armed || ++counted != faultyCall)
        return call();
    switch (fault) {
    case SyscallFaults::Fault::Fail:
        errno = faultError;
        return -1;
    case SyscallFaults::Fault::KillBefore:
        std::raise(SIGKILL);
        break;
    case SyscallFaults::Fault::KillAfter:
        break;
    }
    const auto result = call();
    std::raise(SIGKILL);
    return result;
}

} // namespace

void SyscallFaults::arm(int call, Fault kind, int error)
{
    armed = true;
    counted = 0;
    faultyCall = call;
    fault = kind;
    faultError = error;
}

void SyscallFaults::refuseNewFiles(int error)
{
    newFileError = error;
}

void SyscallFaults::refuseRenames(int error)
{
    renameError = error;
}

void SyscallFaults::disarm()
{
    armed = false;
    newFileError = 0;
    renameError = 0;
}

int SyscallFaults::calls()
{
    return counted;
}

extern "C" {

int __real_open(const char *path, int flags, ...);
ssize_t __real_pwrite(int fd, const void *data, size_t size, off_t offset);
int __real_fdatasync(int fd);
int __real_ftruncate(int fd, off_t size);
int __real_rename(const char *from, const char *to);

int __wrap_open(const char *path, int flags, ...)
{
    int mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, int);
        va_end(arguments);
    }
    if ((flags & O_CREAT) && newFileError) {
        errno = newFileError;
        return -1;
    }
    return around([&] { return __real_open(path, flags, mode); });
}

ssize_t __wrap_pwrite(int fd, const void *data, size_t size, off_t offset)
{
    return around([&] { return __real_pwrite(fd, data, size, offset); });
}

int __wrap_fdatasync(int fd)
{
    return around([&] { return __real_fdatasync(fd); });
}

int __wrap_ftruncate(int fd, off_t size)
{
    return around([&] { return __real_ftruncate(fd, size); });
}

int __wrap_rename(const char *from, const char *to)
{
    if (renameError) {
        errno = renameError;
        return -1;
    }
    return around([&] { return __real_rename(from, to); });
}

} // extern "C"
