#include "ranking/nameentry.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/cp932.h"

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

// The length of the piece at the start of text that is kept or left out as
// one: a character with the combining marks after it.
std::size_t pieceLength(std::string_view text)
{
    std::size_t length = characterLength(text);
    while (length < text.size()) {
        const std::string_view next = text.substr(length);
        const std::size_t nextLength = characterLength(next);
        if (!isCombiningMark(next.substr(0, nextLength)))
            break;
        length += nextLength;
    }
    return length;
}

// What the ranking keeps of a piece as it was typed: the piece itself where
// code page 932 holds it (a look-alike in the form it reads back as); else
// the code page's character that Unicode takes for the same (か and a
// voicing mark: が); else nothing.
std::optional<std::string> storedForm(std::string_view piece)
{
    const std::string_view shown = cp932ReadBackForm(piece);
    if (utf8ToCp932(shown))
        return std::string(shown);
    std::optional<std::string> equivalent = cp932CanonicalEquivalent(piece);
    return equivalent && utf8ToCp932(*equivalent) ? equivalent : std::nullopt;
}

// At most this many characters are named as left out; the hint has one line.
constexpr std::size_t MostLeftOutNamed = 8;

// Appends to fitted what of inserted fits into bytesFree bytes.
void fitInsertion(std::string_view inserted, std::size_t bytesFree, FittedName &fitted)
{
    std::size_t leftOutNamed = 0;
    const auto leaveOut = [&](std::string_view character) {
        if (leftOutNamed < MostLeftOutNamed && fitted.leftOut.find(character) == std::string::npos) {
            fitted.leftOut += character;
            ++leftOutNamed;
        }
    };
    while (!inserted.empty()) {
        const std::string_view piece = inserted.substr(0, pieceLength(inserted));
        inserted.remove_prefix(piece.size());
        // A one-line box takes the first line of a pasted text.
        const char first = piece.front();
        if (first == '\r' || first == '\n' || first == '\0')
            return;
        // The longest start of the piece that the ranking can keep; the marks
        // after it are left out.
        std::size_t kept = piece.size();
        std::optional<std::string> form;
        while (kept > 0 && !(form = storedForm(piece.substr(0, kept)))) {
            do
                --kept;
            while (kept > 0 && isContinuationByte(piece[kept]));
        }
        if (form) {
            const std::size_t size = utf8ToCp932(*form)->size();
            if (size > bytesFree) {
                fitted.cutAtLimit = true;
                return;
            }
            bytesFree -= size;
            fitted.name += *form;
        }
        for (std::string_view rest = piece.substr(kept); !rest.empty();) {
            const std::size_t length = characterLength(rest);
            leaveOut(rest.substr(0, length));
            rest.remove_prefix(length);
        }
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
    // A combining mark put in after a character joins it: the two are kept
    // or left out as one.
    while (start > 0 && start < after.size()
           && isCombiningMark(after.substr(start, characterLength(after.substr(start))))) {
        do
            --start;
        while (start > 0 && isContinuationByte(after[start]));
    }

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
