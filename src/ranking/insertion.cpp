#include "ranking/insertion.h"

#include <charconv>

#include "core/cp932.h"
#include "core/exception.h"

int parseTimeLine(std::string_view line)
{
    const bool signed_ = !line.empty() && (line.front() == '+' || line.front() == '-');
    const std::string_view digits = line.substr(signed_ ? 1 : 0);
    if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
        // from_chars takes a '-' but not a '+'.
        const std::string_view number = line.front() == '+' ? digits : line;
        int value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error == std::errc())
            return value;
    }
    throw EConvertError(Fault::NotANumber, {cp932ToUtf8ForDisplay(line)});
}

namespace {

// Moves places k + 1.. down by one in one column and writes the new value.
void shiftColumnAndWrite(RankingLines &table, int column, int k, const std::string &value)
{
    for (int j = column + RankingPlaces - 1; j >= column + k + 1; --j)
        table.setLine(j, table.line(j - 1));
    table.setLine(column + k, value);
}

void insertAt(int k, RaceState &race, RankingLines &table, const AskRankingName &askName,
              const SaveRanking &save)
{
    race.entryName = askName(k + 1);
    shiftColumnAndWrite(table, SecondsColumn, k, std::to_string(race.seconds));
    shiftColumnAndWrite(table, TenthsColumn, k, std::to_string(race.tenths));
    shiftColumnAndWrite(table, NameColumn, k, race.entryName);
    shiftColumnAndWrite(table, TimeColumn, k, std::to_string(race.score));
    save();
}

} // namespace

void enterRanking(RaceState &race, RankingLines &table, const AskRankingName &askName,
                  const SaveRanking &save)
{
    race.score = race.seconds * 10 + race.tenths;
    const int s = race.score;
    const auto time = [&table](int k) { return parseTimeLine(table.line(TimeColumn + k)); };
    bool entered = false;
    for (int k = RankingPlaces - 1; k >= 0; --k) {
        if (s > time(k) || entered)
            continue;
        if (k == 0 || time(k - 1) < s) {
            insertAt(k, race, table, askName, save);
            entered = true;
        }
    }
}

void reenterRanking(const std::vector<RaceState> &races, RankingLines &table)
{
    for (RaceState race : races) {
        const std::string name = race.entryName;
        enterRanking(race, table, [&name](int) { return name; }, [] {});
    }
}
