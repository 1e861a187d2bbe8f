#pragma once

#include <QColor>
#include <QPalette>

// Colours as the layouts store them: 0x00BBGGRR, red in the lowest byte.
using BgrColour = quint32;

inline constexpr BgrColour clBlack = 0x000000;
inline constexpr BgrColour clRed = 0x0000FF;
inline constexpr BgrColour clLime = 0x00FF00;
inline constexpr BgrColour clBlue = 0xFF0000;
inline constexpr BgrColour clAqua = 0xFFFF00;
inline constexpr BgrColour clWhite = 0xFFFFFF;
inline constexpr BgrColour clOrange = 33023;  // #FF8000, the ground strip
inline constexpr BgrColour clPink = 8421631;  // #FF8080, the toolbar and the selection bar
// Not stored colours: the platform's window-text colour, and none at all.
inline constexpr BgrColour clWindowText = 0x80000008;
inline constexpr BgrColour NoColour = 0xFFFFFFFF;

inline QColor toQColor(BgrColour colour)
{
    if (colour == clWindowText)
        return QPalette().color(QPalette::WindowText);
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
