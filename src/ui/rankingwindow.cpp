#include "ui/rankingwindow.h"

namespace {

using W = RankingWindow;
constexpr LabelFont TitleFont = {27, true, clRed};
constexpr LabelFont PlaceFont = {12, true, clWhite};
constexpr LabelFont NameFont = {12, true, clAqua};
constexpr LabelFont TimeFont = {12, true, clLime};

} // namespace

// clang-format off
// The rows of place k + 1 stand at top 48 + 32 k. The name and time labels
// show placeholders until the ranking button fills them.
constexpr LayoutRow<RankingWindow> RankingWindow::layout[] = {
    {.objectName = "Label1",  .control = slot<&W::m_title>,          .left = 120, .top = 8,                               .text = "ランキング", .font = TitleFont},
    {.objectName = "Label2",  .control = slot<&W::m_placeLabels, 0>, .left = 24,  .top = 48,                              .text = "１位",       .font = PlaceFont},
    {.objectName = "Bevel1",  .control = slot<&W::m_rowFrames, 0>,   .left = 16,  .top = 41,  .width = 353, .height = 24},
    {.objectName = "Bevel2",  .control = slot<&W::m_rowFrames, 1>,   .left = 16,  .top = 72,  .width = 353, .height = 25},
    {.objectName = "Bevel3",  .control = slot<&W::m_rowFrames, 2>,   .left = 16,  .top = 104, .width = 353, .height = 25},
    {.objectName = "Bevel4",  .control = slot<&W::m_rowFrames, 3>,   .left = 16,  .top = 136, .width = 353, .height = 25},
    {.objectName = "Bevel5",  .control = slot<&W::m_rowFrames, 4>,   .left = 16,  .top = 168, .width = 353, .height = 25},
    {.objectName = "Bevel6",  .control = slot<&W::m_rowFrames, 5>,   .left = 16,  .top = 200, .width = 353, .height = 25},
    {.objectName = "Bevel7",  .control = slot<&W::m_rowFrames, 6>,   .left = 16,  .top = 232, .width = 353, .height = 25},
    {.objectName = "Bevel8",  .control = slot<&W::m_rowFrames, 7>,   .left = 16,  .top = 264, .width = 353, .height = 25},
    {.objectName = "Bevel9",  .control = slot<&W::m_rowFrames, 8>,   .left = 16,  .top = 296, .width = 353, .height = 25},
    {.objectName = "Bevel10", .control = slot<&W::m_rowFrames, 9>,   .left = 16,  .top = 328, .width = 353, .height = 25},
    {.objectName = "Image1",  .control = slot<&W::m_okButton>,       .left = 328, .top = 360, .width = 41,  .height = 41, .text = "OK",                            .handler = &W::onOkClicked, .picture = "button_ok"},
    {.objectName = "Label3",  .control = slot<&W::m_placeLabels, 1>, .left = 24,  .top = 80,                              .text = "２位",       .font = PlaceFont},
    {.objectName = "Label4",  .control = slot<&W::m_placeLabels, 2>, .left = 24,  .top = 112,                             .text = "３位",       .font = PlaceFont},
    {.objectName = "Label5",  .control = slot<&W::m_placeLabels, 3>, .left = 24,  .top = 144,                             .text = "４位",       .font = PlaceFont},
    {.objectName = "Label6",  .control = slot<&W::m_placeLabels, 4>, .left = 24,  .top = 176,                             .text = "５位",       .font = PlaceFont},
    {.objectName = "Label7",  .control = slot<&W::m_placeLabels, 5>, .left = 24,  .top = 208,                             .text = "６位",       .font = PlaceFont},
    {.objectName = "Label8",  .control = slot<&W::m_placeLabels, 6>, .left = 24,  .top = 240,                             .text = "７位",       .font = PlaceFont},
    {.objectName = "Label9",  .control = slot<&W::m_placeLabels, 7>, .left = 24,  .top = 272,                             .text = "８位",       .font = PlaceFont},
    {.objectName = "Label10", .control = slot<&W::m_placeLabels, 8>, .left = 24,  .top = 304,                             .text = "９位",       .font = PlaceFont},
    {.objectName = "Label11", .control = slot<&W::m_placeLabels, 9>, .left = 22,  .top = 336,                             .text = "10位",       .font = PlaceFont},
    {.objectName = "Label12", .control = slot<&W::m_nameLabels, 0>,  .left = 88,  .top = 48,                              .text = "Label12",    .font = NameFont},
    {.objectName = "Label13", .control = slot<&W::m_nameLabels, 1>,  .left = 88,  .top = 80,                              .text = "Label12",    .font = NameFont},
    {.objectName = "Label14", .control = slot<&W::m_nameLabels, 2>,  .left = 88,  .top = 112,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label15", .control = slot<&W::m_nameLabels, 3>,  .left = 88,  .top = 144,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label16", .control = slot<&W::m_nameLabels, 4>,  .left = 88,  .top = 176,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label17", .control = slot<&W::m_nameLabels, 5>,  .left = 88,  .top = 208,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label18", .control = slot<&W::m_nameLabels, 6>,  .left = 88,  .top = 240,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label19", .control = slot<&W::m_nameLabels, 7>,  .left = 88,  .top = 272,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label20", .control = slot<&W::m_nameLabels, 8>,  .left = 88,  .top = 304,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label21", .control = slot<&W::m_nameLabels, 9>,  .left = 88,  .top = 336,                             .text = "Label12",    .font = NameFont},
    {.objectName = "Label22", .control = slot<&W::m_timeLabels, 0>,  .left = 280, .top = 48,                              .text = "Label22",    .font = TimeFont},
    {.objectName = "Label23", .control = slot<&W::m_timeLabels, 1>,  .left = 280, .top = 80,                              .text = "Label22",    .font = TimeFont},
    {.objectName = "Label24", .control = slot<&W::m_timeLabels, 2>,  .left = 280, .top = 112,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label25", .control = slot<&W::m_timeLabels, 3>,  .left = 280, .top = 144,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label26", .control = slot<&W::m_timeLabels, 4>,  .left = 280, .top = 176,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label27", .control = slot<&W::m_timeLabels, 5>,  .left = 280, .top = 208,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label28", .control = slot<&W::m_timeLabels, 6>,  .left = 280, .top = 240,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label29", .control = slot<&W::m_timeLabels, 7>,  .left = 280, .top = 272,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label30", .control = slot<&W::m_timeLabels, 8>,  .left = 280, .top = 304,                             .text = "Label22",    .font = TimeFont},
    {.objectName = "Label31", .control = slot<&W::m_timeLabels, 9>,  .left = 280, .top = 336,                             .text = "Label22",    .font = TimeFont},
};
// clang-format on

RankingWindow::RankingWindow(QWidget *mainWindow)
    : SideWindow(mainWindow, "ランキング", 331, 164, 386, 408, clBlack)
{
    static_assert(fillsEveryElement<&W::m_placeLabels>(layout) && fillsEveryElement<&W::m_rowFrames>(layout)
                      && fillsEveryElement<&W::m_nameLabels>(layout) && fillsEveryElement<&W::m_timeLabels>(layout),
                  "every place of the ranking has its row");
    loadLayout<RankingWindow>(*this, layout);
}
