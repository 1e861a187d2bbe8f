#include "ui/rankingwindow.h"

#include "ui/placement.h"

namespace {

using W = RankingWindow;
using Row = LayoutRow<RankingWindow>;
constexpr LabelFont TitleFont = {27, true, clRed};
constexpr LabelFont PlaceFont = {12, true, clWhite};
constexpr LabelFont NameFont = {12, true, clAqua};
constexpr LabelFont TimeFont = {12, true, clLime};

constexpr const char *PlaceCaptions[] = {
    QT_TRANSLATE_NOOP("RankingWindow", "１位"), QT_TRANSLATE_NOOP("RankingWindow", "２位"),
    QT_TRANSLATE_NOOP("RankingWindow", "３位"), QT_TRANSLATE_NOOP("RankingWindow", "４位"),
    QT_TRANSLATE_NOOP("RankingWindow", "５位"), QT_TRANSLATE_NOOP("RankingWindow", "６位"),
    QT_TRANSLATE_NOOP("RankingWindow", "７位"), QT_TRANSLATE_NOOP("RankingWindow", "８位"),
    QT_TRANSLATE_NOOP("RankingWindow", "９位"), QT_TRANSLATE_NOOP("RankingWindow", "10位")};
static_assert(std::size(PlaceCaptions) == RankingPlaces, "every place has its caption");

// The row of place k + 1 stands at this top.
constexpr int rowTop(int k)
{
    return 48 + 32 * k;
}

} // namespace

// One row per control in creation order; later controls lie over earlier
// ones. The name and time labels show placeholders until the ranking button
// fills them. The labels are numbered on from the place labels' Label2.
// clang-format off
consteval auto RankingWindow::layout()
{
    // Two-digit places start two pixels further left.
    const auto placeLabel = [](auto k) {
        return Row{.objectName = numbered<"Label", 2 + k>, .control = slot<&W::m_placeLabels, k>,
                   .left = k + 1 < 10 ? 24 : 22, .top = rowTop(k),
                   .text = PlaceCaptions[k], .font = PlaceFont};
    };
    // A sunken frame around each row; the first one's top edge is a pixel lower.
    const auto rowFrame = [](auto k) {
        return Row{.objectName = numbered<"Bevel", 1 + k>, .control = slot<&W::m_rowFrames, k>,
                   .left = 16, .top = rowTop(k) - 8 + (k == 0), .width = 353, .height = 25 - (k == 0)};
    };
    const auto nameLabel = [](auto k) {
        return Row{.objectName = numbered<"Label", 2 + RankingPlaces + k>, .control = slot<&W::m_nameLabels, k>,
                   .left = 88, .top = rowTop(k),
                   .text = "Label12", .font = NameFont};
    };
    const auto timeLabel = [](auto k) {
        return Row{.objectName = numbered<"Label", 2 + 2 * RankingPlaces + k>, .control = slot<&W::m_timeLabels, k>,
                   .left = 280, .top = rowTop(k),
                   .text = "Label22", .font = TimeFont};
    };
    return layoutRows(
        Row{.objectName = "Label1", .control = slot<&W::m_title>,
            .left = 120, .top = 8,
            .text = QT_TRANSLATE_NOOP("RankingWindow", "ランキング"), .font = TitleFont},
        layoutRowsFor<0, 1>(placeLabel),
        layoutRowsFor<0, RankingPlaces>(rowFrame),
        Row{.objectName = "Image1", .control = slot<&W::m_okButton>,
            .left = 328, .top = 360, .width = 41, .height = 41,
            .text = "OK", .handler = &W::onOkClicked, .picture = "button_ok"},
        layoutRowsFor<1, RankingPlaces>(placeLabel),
        layoutRowsFor<0, RankingPlaces>(nameLabel),
        layoutRowsFor<0, RankingPlaces>(timeLabel));
}
// clang-format on

RankingWindow::RankingWindow(QWidget *mainWindow)
    : SideWindow(mainWindow, tr("ランキング"), RankingWindowPlace, clBlack)
{
    static constexpr auto rows = layout();
    static_assert(everyImageHasAPicture(rows));
    static_assert(fillsEveryElement<&W::m_placeLabels>(rows) && fillsEveryElement<&W::m_rowFrames>(rows)
                      && fillsEveryElement<&W::m_nameLabels>(rows) && fillsEveryElement<&W::m_timeLabels>(rows),
                  "every place of the ranking has its row");
    loadLayout<RankingWindow>(*this, rows);
}

QString RankingWindow::placeCaption(int place)
{
    return tr(PlaceCaptions[place - 1]);
}
