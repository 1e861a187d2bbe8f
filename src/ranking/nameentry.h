#pragma once

#include "core/translatable.h"

#include <cstddef>
#include <string>
#include <string_view>

// The name dialog's caption, translated in the context "RankingNameDialog",
// and the default name, which stays as it is in every language: other copies
// of the game and old ranking files share it. UTF-8.
inline constexpr char RankingNameCaption[] = QT_TRANSLATE_NOOP("RankingNameDialog", "ランキング名前入力");
inline constexpr char DefaultRankingName[] = "名前なし";
// The same name as the ranking file holds it, in code page 932.
inline constexpr char DefaultRankingNameCp932[] = "\x96\xBC\x91\x4F\x82\xC8\x82\xB5";

// The most bytes a name takes in the ranking file.
inline constexpr std::size_t RankingNameMaxBytes = 255;

// A name the ranking file can hold as one line: every character in code page
// 932, at most RankingNameMaxBytes once encoded, and no CR, LF or NUL, which
// would split the line or end the file's text.
bool isStorableRankingName(std::string_view utf8);

// A change to the name box, fitted as the platform's own edit box takes what
// is typed, pasted or committed by an input method: what the name held before
// stays; of what the change put in, each character is kept as typed where
// code page 932 holds it, in the form the ranking will show ("〜" becomes
// "～"); a character with combining marks that the code page holds only
// composed is kept as the code page's character (か and U+3099 as が); what
// the code page cannot hold is left out, a line break ends it, and it ends
// before the first character that would take the name past
// RankingNameMaxBytes. Whole characters only.
struct FittedName
{
    std::string name;        // UTF-8, storable
    std::size_t cursor = 0;  // the byte just after what was kept of the change
    bool keptNothing = false; // the change put in text and none of it was kept
    std::string leftOut;     // the characters left out, each once, in order
    bool cutAtLimit = false; // the rest of the change did not fit
};

// before: the name as it stood (storable); after: the name with the change;
// cursor: the byte of after just past what the change put in, where a text
// box leaves its cursor. Both UTF-8.
FittedName fitRankingNameChange(std::string_view before, std::string_view after,
                                std::size_t cursor);

// Dialog units of a font: a horizontal unit is a quarter of the average width
// of the letters A-Z and a-z, a vertical unit an eighth of the font's height.
struct DialogUnits
{
    int averageCharWidth; // whole pixels, rounded
    int fontHeight;

    int x(int units) const { return scaled(units, averageCharWidth, 4); }
    int y(int units) const { return scaled(units, fontHeight, 8); }

private:
    static int scaled(int units, int pixels, int per) { return (units * pixels + per / 2) / per; }
};

// The average width of the 52 letters, rounded, from their total advance.
inline int averageLetterWidth(int advanceOfAllLetters) { return (advanceOfAllLetters + 26) / 52; }
