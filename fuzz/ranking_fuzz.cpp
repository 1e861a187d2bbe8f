// Arbitrary bytes as a ranking file: read, a finished race entered under a
// fixed name, written, read again. The game may refuse a file with its own
// errors, but must never crash or hang, and what it writes must read back to
// the very same bytes.
#include "core/exception.h"
#include "ranking/insertion.h"
#include "ranking/rankinglines.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

// Reading what the game wrote gives back the same text.
void requireRoundTrip(const std::string &written)
{
    RankingLines again;
    again.setText(written);
    require(again.text() == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte is the race's time, so that entries land on every place.
    RaceState race;
    if (size > 0) {
        race.seconds = data[0] / 10;
        race.tenths = data[0] % 10;
        ++data;
        --size;
    }
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    RankingLines table;
    try {
        table.setText(bytes);
    } catch (const EOutOfCapacity &) {
        return 0;
    }
    requireRoundTrip(table.text());

    std::string saved;
    bool wasSaved = false;
    try {
        enterRanking(
            race, table, [](int) { return std::string("\x83\x7e\x83\x8b\x83\x5e"); },
            [&] {
                saved = table.text();
                wasSaved = true;
            });
    } catch (const EConvertError &) {
        // A time line that is not a number; an insertion below it stays.
    }
    if (wasSaved)
        requireRoundTrip(saved);
    requireRoundTrip(table.text());
    return 0;
}
