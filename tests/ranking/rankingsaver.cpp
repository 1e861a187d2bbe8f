// Saves rankings into rank.mlt of the working directory, for the fault tests:
//   rankingsaver alternate
//       the short and the long ranking one after the other, until killed;
//       "saving US" once the first save is done, US the microseconds it took
//   rankingsaver once short|long CALL before|after [in-place]
//       one save, killed just before or after the CALL-th call on files
//       (in place: as if the folder refused new files); "saved" if it lived
//   rankingsaver append TAG COUNT
//       COUNT saves, each adding the line "TAG N" after the table, as a copy
//       of the game adds its entries beside another copy
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "core/exception.h"
#include "rankingfaulttables.h"
#include "ranking/rankingfile.h"
#include "syscallfaults.h"

namespace {

int alternate()
{
    const RankingLines tables[2] = {shortTable(), longTable()};
    RankingFile file;
    RankingLines table;
    file.load(table);
    const auto start = std::chrono::steady_clock::now();
    for (unsigned n = 0;; ++n) {
        table = tables[n % 2];
        file.save(table, [&](RankingLines &theirs) { theirs = tables[n % 2]; });
        if (n == 0) {
            const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            std::printf("saving %lld\n", static_cast<long long>(took.count()));
            std::fflush(stdout);
        }
    }
}

int once(const RankingLines &ranking, int call, SyscallFaults::Fault fault, bool inPlace)
{
    RankingFile file;
    RankingLines table;
    file.load(table);
    table = ranking;
    SyscallFaults::arm(call, fault);
    if (inPlace)
        SyscallFaults::refuseNewFiles(EACCES);
    file.save(table, [&](RankingLines &theirs) { theirs = ranking; });
    SyscallFaults::disarm();
    std::puts("saved");
    return 0;
}

int append(const std::string &tag, int count)
{
    RankingFile file;
    RankingLines table;
    try {
        file.load(table);
    } catch (const Exception &) {
        // The other copy has not saved yet.
    }
    for (int n = 0; n < count; ++n) {
        const auto addLine = [&](RankingLines &ranking) { ranking.setText(ranking.text() + tag + " " + std::to_string(n) + "\r\n"); };
        file.refresh(table, [](RankingLines &) {});
        addLine(table);
        while (file.save(table, addLine, RankingFile::WhenLocked::TryLater) == RankingFile::Saved::LockBusy)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "alternate")
            return alternate();
        if (mode == "once" && argc >= 5) {
            const auto fault = std::strcmp(argv[4], "before") == 0 ? SyscallFaults::Fault::KillBefore
                                                                  : SyscallFaults::Fault::KillAfter;
            return once(std::strcmp(argv[2], "long") == 0 ? longTable() : shortTable(), std::atoi(argv[3]), fault,
                        argc > 5 && std::strcmp(argv[5], "in-place") == 0);
        }
        if (mode == "append" && argc == 4)
            return append(argv[2], std::atoi(argv[3]));
    } catch (const Exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fputs("usage: rankingsaver alternate | once short|long CALL before|after [in-place] | append TAG COUNT\n",
               stderr);
    return 2;
}
