#pragma once

#include <QColor>
#include <QPalette>

// Colours as the layouts store them: 0x00BBGGRR, red in the lowest byte.
using TColor = unsigned;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clOrange = 33023;  // #FF8000, the ground strip
inline constexpr TColor clPink = 8421631;  // #FF8080, the toolbar and selection bar
// Not a stored colour but the platform's window-text colour.
inline constexpr TColor clWindowText = 0x80000008;

inline QColor toQColor(TColor colour)
{
    if (colour == clWindowText)
        return QPalette().color(QPalette::WindowText);
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
