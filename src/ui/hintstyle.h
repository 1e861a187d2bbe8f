#pragma once

#include <QProxyStyle>

// The game's hint timing: a hint appears after the pointer has rested on a
// button for half a second (and stays for two and a half, see PictureBox).
class HintStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
