#include "ranking/nameentry.h"

#include <algorithm>
#include <array>

#include "core/cp932.h"

std::string rankingPrompt(int place)
{
    static constexpr std::array<const char *, 9> fullWidthDigits = {
        "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    const std::string number = place >= 1 && place <= 9 ? fullWidthDigits[place - 1]
                                                        : std::to_string(place);
    return number + "位です。名前を入力して下さい。";
}

bool isStorableRankingName(std::string_view utf8)
{
    if (utf8.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return false;
    const std::optional<std::string> bytes = utf8ToCp932(utf8);
    return bytes && bytes->size() <= RankingNameMaxBytes;
}

namespace {

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The length of the UTF-8 character that starts at text's first byte.
std::size_t characterLength(std::string_view text)
{
    std::size_t length = 1;
    while (length < text.size() && isContinuationByte(text[length]))
        ++length;
    return length;
}

std::size_t commonPrefix(std::string_view a, std::string_view b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

std::size_t commonSuffix(std::string_view a, std::string_view b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[a.size() - 1 - n] == b[b.size() - 1 - n])
        ++n;
    return n;
}

// At most this many characters are named as left out; the hint has one line.
constexpr std::size_t MostLeftOutNamed = 8;

// Appends to fitted what of inserted fits into bytesFree bytes.
void fitInsertion(std::string_view inserted, std::size_t bytesFree, FittedName &fitted)
{
    std::size_t leftOutNamed = 0;
    while (!inserted.empty()) {
        const std::string_view character = inserted.substr(0, characterLength(inserted));
        inserted.remove_prefix(character.size());
        // A one-line box takes the first line of a pasted text.
        if (character == "\r" || character == "\n" || character == std::string_view("\0", 1))
            return;
        const std::string_view shown = cp932ReadBackForm(character);
        const std::optional<std::string> bytes = utf8ToCp932(shown);
        if (!bytes) {
            if (leftOutNamed < MostLeftOutNamed
                && fitted.leftOut.find(character) == std::string::npos) {
                fitted.leftOut += character;
                ++leftOutNamed;
            }
            continue;
        }
        if (bytes->size() > bytesFree) {
            fitted.cutAtLimit = true;
            return;
        }
        bytesFree -= bytes->size();
        fitted.name += shown;
    }
}

} // namespace

FittedName fitRankingNameChange(std::string_view before, std::string_view after,
                                std::size_t cursor)
{
    // The change put in after[start, cursor): the text box leaves its cursor
    // just past what it put in, and what follows the cursor is the end of
    // the name as it stood. Failing that, what differs between the two.
    cursor = std::min(cursor, after.size());
    std::size_t tail = after.size() - cursor;
    std::size_t start;
    if (tail <= before.size() && before.ends_with(after.substr(cursor))) {
        start = std::min({commonPrefix(before, after), cursor, before.size() - tail});
    } else {
        start = commonPrefix(before, after);
        tail = std::min(commonSuffix(before, after), std::min(before.size(), after.size()) - start);
        cursor = after.size() - tail;
        while (cursor < after.size() && isContinuationByte(after[cursor]))
            ++cursor;
    }
    while (start > 0 && start < after.size() && isContinuationByte(after[start]))
        --start;

    std::string_view head = after.substr(0, start);
    std::string_view inserted = after.substr(start, cursor - start);
    std::string_view rest = after.substr(cursor);
    const std::string kept = std::string(head).append(rest);
    const std::optional<std::string> keptBytes =
        isStorableRankingName(kept) ? utf8ToCp932(kept) : std::nullopt;
    if (!keptBytes) {
        // Not a change to a name the ranking could hold: all of it is new.
        head = rest = {};
        inserted = after;
    }

    FittedName fitted;
    fitted.name = head;
    fitInsertion(inserted, RankingNameMaxBytes - (keptBytes ? keptBytes->size() : 0), fitted);
    fitted.cursor = fitted.name.size();
    fitted.keptNothing = !inserted.empty() && fitted.cursor == head.size();
    fitted.name += rest;
    return fitted;
}

std::string rankingNameHint(const FittedName &fitted)
{
    std::string hint;
    if (!fitted.leftOut.empty())
        hint = "「" + fitted.leftOut + "」は使えない文字です";
    if (fitted.cutAtLimit) {
        if (!hint.empty())
            hint += "　";
        hint += "名前は全角" + std::to_string(RankingNameMaxBytes / 2) + "文字、半角"
                + std::to_string(RankingNameMaxBytes) + "文字までです";
    }
    return hint;
}
