#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ranking/rankinglines.h"
#include "race/race.h"

// The ranking's first 40 lines are four columns of ten places: line k holds
// the seconds of place k + 1, line 10 + k its tenths, line 20 + k its name
// and line 30 + k its time in tenths, the key that orders the places.
inline constexpr int RankingPlaces = 10;
inline constexpr int SecondsColumn = 0;
inline constexpr int TenthsColumn = 10;
inline constexpr int NameColumn = 20;
inline constexpr int TimeColumn = 30;

// A time line read as a decimal integer: an optional sign and digits only.
// Anything else, or a value outside int, raises EConvertError
// (Fault::NotANumber) with the line's text.
int parseTimeLine(std::string_view line);

// Asks the player's name for a place (1..10); returns code page 932 bytes.
using AskRankingName = std::function<std::string(int place)>;
// Writes the ranking to its file; called right after each insertion.
using SaveRanking = std::function<void()>;

// Enters a finished race into the ranking. Sets race.score from seconds and
// tenths; if the time ranks, asks a name (kept in race.entryName as code page
// 932 bytes), moves the places below down by one, writes the entry and saves.
// Ties go to the newcomer. A race enters once: the save may have put it into
// another copy's ranking, where it would find a better place again. The time
// lines are read afresh for each test, from place 10 up to place 1, so a bad
// one raises EConvertError even after an insertion below it, which then stays
// made and saved.
void enterRanking(RaceState &race, RankingLines &table, const AskRankingName &askName,
                  const SaveRanking &save);

// Enters races that have their names already (entryName), in the order
// given, into a ranking another copy of the game has saved meanwhile: the
// same rules, no dialog and no save. A time that no longer ranks there
// enters nowhere.
void reenterRanking(const std::vector<RaceState> &races, RankingLines &table);
