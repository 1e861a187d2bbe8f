#include "ui/tform2.h"

#include "ui/layout.h"

namespace {

using Row = LayoutRow<TForm2>;
constexpr TPanel *TForm2::*Form2 = nullptr;
constexpr LabelFont Title = {27, true, clRed};
constexpr LabelFont Place = {12, true, clWhite};
constexpr LabelFont Name = {12, true, clAqua};
constexpr LabelFont Time = {12, true, clLime};

const Row Layout[] = {
    // control          parent  left top width height colour     text        font   visible handler              picture
    {&TForm2::Label1,   Form2, 120,   8,   0,  0, NoColour, "ランキング", Title,  Shown, nullptr,              nullptr},
    {&TForm2::Label2,   Form2,  24,  48,   0,  0, NoColour, "１位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Bevel1,   Form2,  16,  41, 353, 24, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel2,   Form2,  16,  72, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel3,   Form2,  16, 104, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel4,   Form2,  16, 136, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel5,   Form2,  16, 168, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel6,   Form2,  16, 200, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel7,   Form2,  16, 232, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel8,   Form2,  16, 264, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel9,   Form2,  16, 296, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Bevel10,  Form2,  16, 328, 353, 25, NoColour, nullptr,     NoFont, Shown, nullptr,              nullptr},
    {&TForm2::Image1,   Form2, 328, 360,  41, 41, NoColour, "OK",        NoFont, Shown, &TForm2::Image1Click, "button_ok"},
    {&TForm2::Label3,   Form2,  24,  80,   0,  0, NoColour, "２位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label4,   Form2,  24, 112,   0,  0, NoColour, "３位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label5,   Form2,  24, 144,   0,  0, NoColour, "４位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label6,   Form2,  24, 176,   0,  0, NoColour, "５位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label7,   Form2,  24, 208,   0,  0, NoColour, "６位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label8,   Form2,  24, 240,   0,  0, NoColour, "７位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label9,   Form2,  24, 272,   0,  0, NoColour, "８位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label10,  Form2,  24, 304,   0,  0, NoColour, "９位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label11,  Form2,  22, 336,   0,  0, NoColour, "10位",      Place,  Shown, nullptr,              nullptr},
    {&TForm2::Label12,  Form2,  88,  48,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label13,  Form2,  88,  80,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label14,  Form2,  88, 112,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label15,  Form2,  88, 144,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label16,  Form2,  88, 176,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label17,  Form2,  88, 208,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label18,  Form2,  88, 240,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label19,  Form2,  88, 272,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label20,  Form2,  88, 304,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label21,  Form2,  88, 336,   0,  0, NoColour, "Label12",   Name,   Shown, nullptr,              nullptr},
    {&TForm2::Label22,  Form2, 280,  48,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label23,  Form2, 280,  80,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label24,  Form2, 280, 112,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label25,  Form2, 280, 144,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label26,  Form2, 280, 176,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label27,  Form2, 280, 208,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label28,  Form2, 280, 240,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label29,  Form2, 280, 272,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label30,  Form2, 280, 304,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
    {&TForm2::Label31,  Form2, 280, 336,   0,  0, NoColour, "Label22",   Time,   Shown, nullptr,              nullptr},
};

} // namespace

TForm2::TForm2(QWidget *mainWindow) : SideWindow(mainWindow, "ランキング", 331, 164, 386, 408, clBlack)
{
    loadLayout<TForm2>(*this, Layout);
}

std::array<TLabel *, 10> TForm2::nameLabels() const
{
    return {Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19, Label20, Label21};
}

std::array<TLabel *, 10> TForm2::timeLabels() const
{
    return {Label22, Label23, Label24, Label25, Label26, Label27, Label28, Label29, Label30, Label31};
}

void TForm2::Image1Click()
{
    hideWindow();
}
