#pragma once

#include <optional>
#include <string>
#include <string_view>

// The game's texts on disk are code page 932 (Microsoft's Shift-JIS) bytes;
// everything shown or typed is UTF-8. These convert between the two, with
// the system's iconv under this name.
inline constexpr char Cp932IconvName[] = "CP932";

// Raises EEncodingError when iconv cannot convert between UTF-8 and the code
// page of that name (glibc without its gconv modules): the game could then
// neither store a name nor show one. Checked once, at start-up.
void requireCp932(const char *iconvName = Cp932IconvName);

// The bytes of a UTF-8 text in code page 932, or nothing when the text is not
// valid UTF-8 or holds a character the code page cannot hold exactly. A
// character that would only come back as a different one ("¥" as "\") fails
// too: a name must read back as it was typed.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// The UTF-8 text of code page 932 bytes, or nothing when the bytes are not
// valid code page 932.
std::optional<std::string> cp932ToUtf8(std::string_view bytes);

// Code page 932 holds a few characters only as a look-alike that reads back as
// the same character to a reader: "〜" (WAVE DASH, U+301C, as input methods on
// Linux give it) is written 81 60, which reads back as "～" (FULLWIDTH TILDE,
// U+FF5E). For such a character, UTF-8, the one that reads back; for any other,
// the character itself. A look-alike that reads as another character ("¥"
// written as "\") is not one of them.
std::string_view cp932ReadBackForm(std::string_view character);

// The character of code page 932 that a text is canonically equivalent to in
// Unicode, UTF-8: "が" for "か" and the combining voiced sound mark U+3099,
// the angstrom sign U+212B (81 F0) for "A" and the combining ring U+030A or for
// the letter U+00C5, "豈" U+8C48 for the compatibility ideograph U+F900, U+FA15
// (FA 5B) for the unified U+51DE. A character the code page holds is its own.
// Where two of the code page's characters are equivalent (朗 U+6717 and its
// variant U+F929 both decompose to U+6717), the one that is its own
// decomposition. Nothing where the code page holds none.
std::optional<std::string> cp932CanonicalEquivalent(std::string_view utf8);

// Whether a character (UTF-8) is a combining mark, which belongs to the
// character before it: a canonical combining class other than 0 (U+3099,
// U+0301, ...).
bool isCombiningMark(std::string_view character);

// For showing bytes that may be damaged (a hand-edited ranking file): each
// byte that does not start a valid character becomes U+FFFD. Never written back.
std::string cp932ToUtf8ForDisplay(std::string_view bytes);

// A byte that starts a double-byte character: 0x81-0x9F or 0xE0-0xFC.
constexpr bool isCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
