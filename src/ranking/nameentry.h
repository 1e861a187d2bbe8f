#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The name dialog's fixed texts, UTF-8.
inline constexpr char RankingNameCaption[] = "ランキング名前入力";
inline constexpr char DefaultRankingName[] = "名前なし";

// The most bytes a name takes in the ranking file.
inline constexpr std::size_t RankingNameMaxBytes = 255;

// "１位です。名前を入力して下さい。": full-width digits for places 1 to 9,
// "10" for place 10.
std::string rankingPrompt(int place);

// A name the ranking file can hold as one line: every character in code page
// 932, at most RankingNameMaxBytes once encoded, and no CR, LF or NUL, which
// would split the line or end the file's text.
bool isStorableRankingName(std::string_view utf8);

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
