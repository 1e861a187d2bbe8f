#pragma once

#include "ui/controls.h"
#include "ui/sidewindow.h"

#include <array>

// The ranking window: ten framed rows of place, name and time.
class TForm2 : public SideWindow
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *mainWindow);

    std::array<TLabel *, 10> nameLabels() const;
    std::array<TLabel *, 10> timeLabels() const;

    void Image1Click();

    TLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10,
        *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17, *Label18, *Label19, *Label20,
        *Label21, *Label22, *Label23, *Label24, *Label25, *Label26, *Label27, *Label28, *Label29, *Label30,
        *Label31;
    TBevel *Bevel1, *Bevel2, *Bevel3, *Bevel4, *Bevel5, *Bevel6, *Bevel7, *Bevel8, *Bevel9, *Bevel10;
    TImage *Image1;
};
