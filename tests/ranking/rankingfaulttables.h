#pragma once

#include <string>

#include "ranking/memo.h"

// The two rankings the saver alternates: the built-in one, and one with a
// long tail of lines so that a save takes long enough to be cut in.
inline TMemo shortTable() { return builtInRanking(); }

inline TMemo longTable()
{
    TMemo memo = builtInRanking();
    std::string text = memo.text();
    for (int i = 0; i < 4000; ++i)
        text += "a line carried along with the table " + std::to_string(i) + "\r\n";
    memo.setText(text);
    return memo;
}
