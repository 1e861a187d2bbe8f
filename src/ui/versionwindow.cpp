#include "ui/versionwindow.h"

#include "ui/placement.h"

namespace {

using W = VersionWindow;
using Row = LayoutRow<VersionWindow>;

} // namespace

// One row per control in creation order; later controls lie over earlier ones.
// clang-format off
consteval auto VersionWindow::layout()
{
    return std::array{
        Row{.objectName = "Label1", .control = slot<&W::m_title>,
            .left = 64, .top = 32,
            .text = QT_TRANSLATE_NOOP("VersionWindow", "ミルタ100ｍ走"), .font = {24, true, clRed}},
        Row{.objectName = "Bevel1", .control = slot<&W::m_titleFrame>,
            .left = 48, .top = 24, .width = 201, .height = 37},
        Row{.objectName = "Label2", .control = slot<&W::m_version>,
            .left = 104, .top = 80,
            .text = QT_TRANSLATE_NOOP("VersionWindow", "Ver．1.00"), .font = {16, true, clWhite}},
        Row{.objectName = "Label3", .control = slot<&W::m_makerCredit>,
            .left = 48, .top = 128,
            .text = "PRESENTED BY MILTA SOFT", .font = {13, true, clWhite}},
        Row{.objectName = "Bevel2", .control = slot<&W::m_separator>,
            .left = 32, .top = 112, .width = 241, .height = 2},
        Row{.objectName = "Label4", .control = slot<&W::m_programmerCredit>,
            .left = 72, .top = 152,
            .text = "PROGRAM BY THE TEAM", .font = {13, true, clWhite}},
        Row{.objectName = "Label5", .control = slot<&W::m_thanks>,
            .left = 48, .top = 176,
            .text = "THANK YOU FOR PLAYING GAME", .font = {12, true, clAqua}},
        Row{.objectName = "Image1", .control = slot<&W::m_okButton>,
            .left = 251, .top = 203, .width = 41, .height = 41,
            .text = "OK", .handler = &W::onOkClicked, .picture = "button_ok"},
    };
}
// clang-format on

VersionWindow::VersionWindow(QWidget *mainWindow) : SideWindow(mainWindow, tr("Ver情報"), VersionWindowPlace, clBlack)
{
    static constexpr auto rows = layout();
    static_assert(everyImageHasAPicture(rows));
    loadLayout<VersionWindow>(*this, rows);
}
