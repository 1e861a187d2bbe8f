// Saves two different rankings into rank.mlt of the working directory, one
// after the other, until it is killed. The fault tests kill it mid-save.
#include <cstdio>

#include "ranking/insertion.h"
#include "rankingfaulttables.h"
#include "ranking/rankingfile.h"

int main()
{
    const RankingLines tables[2] = {shortTable(), longTable()};
    RankingFile file;
    // Tell the test that saving has begun, so that its kills land on saves.
    bool announced = false;
    for (unsigned n = 0;; ++n) {
        file.save(tables[n % 2]);
        if (!announced) {
            std::puts("saving");
            std::fflush(stdout);
            announced = true;
        }
    }
}
