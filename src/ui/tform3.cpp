#include "ui/tform3.h"

#include "ui/layout.h"

namespace {

using Row = LayoutRow<TForm3>;
constexpr TPanel *TForm3::*Form3 = nullptr;

const Row Layout[] = {
    // control          parent left top width height colour   text                          font                  visible handler              picture
    {&TForm3::Label1,   Form3,  64,  32,   0,  0, NoColour, "ミルタ100ｍ走",               {24, true, clRed},    Shown, nullptr,              nullptr},
    {&TForm3::Bevel1,   Form3,  48,  24, 201, 37, NoColour, nullptr,                       NoFont,               Shown, nullptr,              nullptr},
    {&TForm3::Label2,   Form3, 104,  80,   0,  0, NoColour, "Ver．1.00",                   {16, true, clWhite},  Shown, nullptr,              nullptr},
    {&TForm3::Label3,   Form3,  48, 128,   0,  0, NoColour, "PRESENTED BY MILTA SOFT",     {13, true, clWhite},  Shown, nullptr,              nullptr},
    {&TForm3::Bevel2,   Form3,  32, 112, 241,  2, NoColour, nullptr,                       NoFont,               Shown, nullptr,              nullptr},
    {&TForm3::Label4,   Form3,  72, 152,   0,  0, NoColour, "PROGRAM BY THE TEAM",         {13, true, clWhite},  Shown, nullptr,              nullptr},
    {&TForm3::Label5,   Form3,  48, 176,   0,  0, NoColour, "THANK YOU FOR PLAYING GAME",  {12, true, clAqua},   Shown, nullptr,              nullptr},
    {&TForm3::Image1,   Form3, 251, 203,  41, 41, NoColour, "OK",                          NoFont,               Shown, &TForm3::Image1Click, "button_ok"},
};

} // namespace

TForm3::TForm3(QWidget *mainWindow) : SideWindow(mainWindow, "Ver情報", 368, 241, 308, 252, clBlack)
{
    loadLayout<TForm3>(*this, Layout);
}

void TForm3::Image1Click()
{
    hideWindow();
}
