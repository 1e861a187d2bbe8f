#pragma once

#include "ranking/insertion.h"
#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/sidewindow.h"

#include <array>

// The ranking window: ten framed rows of place, name and time.
class RankingWindow : public SideWindow
{
    Q_OBJECT
public:
    explicit RankingWindow(QWidget *mainWindow);

    // The labels of place k + 1 (k = 0..9).
    TextLabel *nameLabel(int k) const { return m_nameLabels.at(k); }
    TextLabel *timeLabel(int k) const { return m_timeLabels.at(k); }
    PictureBox *okButton() const { return m_okButton; }

    // The caption of a place (1..10) as its row shows it: "１位".
    static QString placeCaption(int place);

private:
    static consteval auto layout();

    TextLabel *m_title = nullptr;
    std::array<TextLabel *, RankingPlaces> m_placeLabels = {};
    std::array<SunkenBox *, RankingPlaces> m_rowFrames = {};
    PictureBox *m_okButton = nullptr;
    std::array<TextLabel *, RankingPlaces> m_nameLabels = {};
    std::array<TextLabel *, RankingPlaces> m_timeLabels = {};
};
