#pragma once

#include "ui/controls.h"
#include "ui/sidewindow.h"

// The version window: title, version and credits.
class TForm3 : public SideWindow
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *mainWindow);

    void Image1Click();

    TLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    TBevel *Bevel1, *Bevel2;
    TImage *Image1;
};
