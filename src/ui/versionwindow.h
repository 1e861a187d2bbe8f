#pragma once

#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/sidewindow.h"

// The version window: title, version and credits.
class VersionWindow : public SideWindow
{
    Q_OBJECT
public:
    explicit VersionWindow(QWidget *mainWindow);

    PictureBox *okButton() const { return m_okButton; }

private:
    static consteval auto layout();

    TextLabel *m_title = nullptr;
    SunkenBox *m_titleFrame = nullptr;
    TextLabel *m_version = nullptr;
    TextLabel *m_makerCredit = nullptr;
    SunkenBox *m_separator = nullptr;
    TextLabel *m_programmerCredit = nullptr;
    TextLabel *m_thanks = nullptr;
    PictureBox *m_okButton = nullptr;
};
