#include "core/errortext.h"

#include <cstdio>
#include <cstdint>

namespace {

bool needsOrdinaryPeriod(std::string_view message)
{
    if (message.empty())
        return false;
    // For UTF-8 the last byte of a multi-byte character is 0x80 or more,
    // just as the last character's lead byte is in the game's code page.
    return static_cast<unsigned char>(message.back()) > '.';
}

bool needsFatalPeriod(std::string_view message)
{
    // No trail byte of a double-byte character, nor any byte of a UTF-8
    // multi-byte one, is '.', so the last byte alone decides.
    return !message.empty() && message.back() != '.';
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

} // namespace

std::string withFinalPeriod(std::string_view message)
{
    std::string text(message);
    if (needsOrdinaryPeriod(message))
        text += '.';
    return text;
}

std::string fatalErrorText(std::string_view kindName, std::string_view moduleName,
                           const void *location, std::string_view message)
{
    char address[16];
    std::snprintf(address, sizeof address, "%08X",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(location)));
    std::string text = "Exception ";
    text += kindName;
    text += " in module ";
    text += moduleName;
    text += " at ";
    text += address;
    text += ".\n";
    text += message;
    if (needsFatalPeriod(message))
        text += '.';
    return text;
}

std::string applicationTitle(std::string_view programPath)
{
    const auto slash = programPath.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title(name);
    // Only ASCII letters change case; a multi-byte character keeps its bytes.
    for (std::size_t i = 0; i < title.size(); ++i)
        title[i] = i == 0 ? asciiUpper(title[i]) : asciiLower(title[i]);
    return title;
}

std::string helpFileName(std::string_view programPath, std::string_view language)
{
    const auto mark = programPath.find_last_of(".\\/:");
    if (mark != std::string_view::npos && programPath[mark] == '.')
        programPath = programPath.substr(0, mark);
    std::string name(programPath);
    if (!language.empty())
        name.append("_").append(language);
    return name + ".hlp";
}
