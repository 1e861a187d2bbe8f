#pragma once

#include <string>
#include <string_view>

// The error box shows a message with one "." added when its last character
// sorts after "." in the game's code page. Every non-ASCII character does:
// the lead byte of a double-byte character is 0x81 or more.
std::string withFinalPeriod(std::string_view message);

// The text of the fatal start-up box: the error's kind, the program file's
// name, a code location, then the message. The message gets its own period
// rule: one "." unless it is empty or already ends in ".", so unlike the
// ordinary box a message ending in ")" or " " gets one too.
std::string fatalErrorText(std::string_view kindName, std::string_view moduleName,
                           const void *location, std::string_view message);

// The application title: the program file's name without its directory and
// without everything from its first ".", capitalised: the first character in
// upper case, the rest in lower case.
// Both "/" and "\" separate directories.
std::string applicationTitle(std::string_view programPath);

// The help file of a program: its path with the extension replaced by ".hlp".
// The extension starts at the last "." that comes after every "/", "\" and ":".
// In another language than the game's own, "_" and the language come before
// ".hlp" ("milta100m_en.hlp").
std::string helpFileName(std::string_view programPath, std::string_view language = {});
