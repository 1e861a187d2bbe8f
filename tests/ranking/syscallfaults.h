#pragma once

#include <cerrno>

// The fault tests' seam at the system calls. The test programs link the
// ranking file with --wrap for the calls it makes on files (CMakeLists.txt),
// so a test can make one of those calls fail, or end the process just before
// or just after it, and then look at what the file holds.
namespace SyscallFaults {

enum class Fault { Fail, KillBefore, KillAfter };

// Counts the calls from now on; the n-th, from 1, meets the fault. Fail
// returns -1 with `error` without making the call.
void arm(int call, Fault fault, int error = EIO);
// Every open that would create a file fails with `error` (0: none do).
void refuseNewFiles(int error);
// Every rename fails with `error` (0: none do), as in a sticky folder where
// the file to replace is another user's.
void refuseRenames(int error);
void disarm();
// The calls counted since arm().
int calls();

} // namespace SyscallFaults
