#pragma once

#include <string>

#include "ranking/rankinglines.h"

// The two rankings the fault tests save over each other: the built-in one,
// and one with another first name and a long tail of lines, so that a save
// takes long enough to be cut in and neither is the start of the other.
inline RankingLines shortTable() { return builtInRankingLines(); }

inline RankingLines longTable()
{
    RankingLines table = builtInRankingLines();
    table.setLine(20, "long");
    std::string text = table.text();
    for (int i = 0; i < 4000; ++i)
        text += "a line carried along with the table " + std::to_string(i) + "\r\n";
    table.setText(text);
    return table;
}
