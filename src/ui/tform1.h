#pragma once

#include "ui/controls.h"
#include "media/mediaplayer.h"
#include "ranking/rankinglines.h"
#include "race/race.h"
#include "ranking/rankingfile.h"

#include <QTimer>
#include <QWidget>

class TForm2;
class TForm3;

// The race screen: the toolbar, the sky with the clock, the track with the
// runners, and the ground with the two pads. The race state lives here.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    TForm1();

    void FormCreate();

    void Panel1MouseMove();
    void Panel2MouseMove();
    void Timer1Timer();
    void Image19Click();
    void Image20Click();
    void Image21Click();
    void Image22Click();
    void Image23Click();
    void Image24Click();
    void Image25Click();
    void Image26Click();
    void Image27Click();
    void Image28Click();
    void Image29Click();
    void Image30Click();
    void ranking();

    // Runner r's sprites.
    TImage *frameA(int r) const;
    TImage *frameB(int r) const;
    TImage *goalPose(int r) const;

    TImage *Image1, *Image2, *Image3, *Image4, *Image5, *Image6, *Image7, *Image8, *Image9, *Image10,
        *Image11, *Image12, *Image13, *Image14, *Image15, *Image16, *Image17, *Image18, *Image19, *Image20,
        *Image21, *Image22, *Image23, *Image24, *Image25, *Image26, *Image27, *Image28, *Image29, *Image30;
    TLabel *Label1, *Label2, *Label3;
    TPanel *Panel1, *Panel2, *Panel3, *Panel4, *Panel5;
    TMediaPlayer *MediaPlayer1, *MediaPlayer2;
    RankingLines Memo1;
    QTimer *Timer1;

    RaceState race;
    RankingFile rankingFile;
    // The help file asked for last; empty until help is first asked for.
    QString HelpFile;

    // The side windows, made after the race screen.
    TForm2 *Form2 = nullptr;
    TForm3 *Form3 = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TMediaPlayer *newMediaPlayer(const char *fileName);
    void selectRunner(int r);
    void finish(int r);
    void startClock();
    void moveRunnerBy(int r, int step);

    QList<QWidget *> hiddenByMinimise_;
    bool painted_ = false;
};
