#include "ui/tform1.h"

#include "core/cp932.h"
#include "core/errortext.h"
#include "core/exception.h"
#include "ui/helpviewer.h"
#include "ranking/insertion.h"
#include "ui/layout.h"
#include "media/midiservice.h"
#include "ranking/namedialog.h"
#include "ui/tform2.h"
#include "ui/tform3.h"

#include <QApplication>
#include <QCloseEvent>

namespace {

using Row = LayoutRow<TForm1>;
constexpr TPanel *TForm1::*Form1 = nullptr;
constexpr TPanel *TForm1::*Panel3 = &TForm1::Panel3;
constexpr TPanel *TForm1::*Panel4 = &TForm1::Panel4;
constexpr TPanel *TForm1::*Panel5 = &TForm1::Panel5;
constexpr LabelFont Clock = {24, true, clRed};

const Row Layout[] = {
    // control           parent  left  top width height colour    text               font                      visible handler                   picture
    {&TForm1::Image3,    Form1,    0, 128, 633, 105, NoColour, nullptr,          NoFont,                   Shown,  nullptr,                  "track", Stretched},
    {&TForm1::Image2,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner0_b"},
    {&TForm1::Image1,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Shown,  nullptr,                  "runner0_a"},
    {&TForm1::Image4,    Form1,   96,  80,  65,  41, NoColour, nullptr,          NoFont,                   Shown,  nullptr,                  "cloud"},
    {&TForm1::Image5,    Form1,  320,  64,  65,  41, NoColour, nullptr,          NoFont,                   Shown,  nullptr,                  "cloud"},
    {&TForm1::Label1,    Form1,  472,  72,   0,   0, NoColour, "0.0秒",          Clock,                    Shown,  nullptr,                  nullptr},
    {&TForm1::Image6,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner1_a"},
    {&TForm1::Image7,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner1_b"},
    {&TForm1::Image8,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner2_a"},
    {&TForm1::Image9,    Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner2_b"},
    {&TForm1::Image10,   Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner3_a"},
    {&TForm1::Image11,   Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner3_b"},
    {&TForm1::Image12,   Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner4_a"},
    {&TForm1::Image13,   Form1,   24, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner4_b"},
    {&TForm1::Image14,   Form1,  504, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner0_goal"},
    {&TForm1::Image15,   Form1,  504, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner4_goal"},
    {&TForm1::Image16,   Form1,  504, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner3_goal"},
    {&TForm1::Image17,   Form1,  504, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner1_goal"},
    {&TForm1::Image18,   Form1,  504, 128,  71, 105, NoColour, nullptr,          NoFont,                   Hidden, nullptr,                  "runner2_goal"},
    {&TForm1::Panel3,    Form1,    0, 233, 625, 143, clOrange, nullptr,          NoFont,                   Shown,  nullptr,                  nullptr},
    {&TForm1::Label2,    Panel3, 536,   0,   0,   0, NoColour, "↑",              {13, true, clWindowText}, Shown,  nullptr,                  nullptr},
    {&TForm1::Label3,    Panel3, 504,  16,   0,   0, NoColour, "この辺がゴール", {11, true, clWindowText}, Shown,  nullptr,                  nullptr},
    {&TForm1::Panel1,    Panel3,  48,  48,  81,  25, clRed,    nullptr,          NoFont,                   Shown,  &TForm1::Panel1MouseMove, nullptr},
    {&TForm1::Panel2,    Panel3, 128,  48,  81,  25, clBlue,   nullptr,          NoFont,                   Shown,  &TForm1::Panel2MouseMove, nullptr},
    {&TForm1::Panel4,    Form1,    0,   0, 601,  57, clPink,   nullptr,          NoFont,                   Shown,  nullptr,                  nullptr},
    {&TForm1::Image19,   Panel4,  32,   8,  41,  41, NoColour, "キャラクター",   NoFont,                   Shown,  &TForm1::Image19Click,    "button_runner"},
    {&TForm1::Image26,   Panel4, 392,   8,  41,  41, NoColour, "終了",           NoFont,                   Shown,  &TForm1::Image26Click,    "button_exit"},
    {&TForm1::Image27,   Panel4, 104,   8,  41,  41, NoColour, "リトライ",       NoFont,                   Shown,  &TForm1::Image27Click,    "button_retry"},
    {&TForm1::Image28,   Panel4, 176,   8,  41,  41, NoColour, "ランキング",     NoFont,                   Shown,  &TForm1::Image28Click,    "button_ranking"},
    {&TForm1::Image29,   Panel4, 248,   8,  41,  41, NoColour, "ヘルプ",         NoFont,                   Shown,  &TForm1::Image29Click,    "button_help"},
    {&TForm1::Image30,   Panel4, 320,   8,  41,  41, NoColour, "Ver情報",        NoFont,                   Shown,  &TForm1::Image30Click,    "button_version"},
    {&TForm1::Panel5,    Form1,    0,   0, 601,  57, clPink,   nullptr,          NoFont,                   Hidden, nullptr,                  nullptr},
    {&TForm1::Image20,   Panel5,  32,   8,  41,  41, NoColour, "ポルカさん",     NoFont,                   Shown,  &TForm1::Image20Click,    "portrait0"},
    {&TForm1::Image21,   Panel5, 104,   8,  41,  41, NoColour, "嘆きの老人",     NoFont,                   Shown,  &TForm1::Image21Click,    "portrait1"},
    {&TForm1::Image22,   Panel5, 176,   8,  41,  41, NoColour, "ナギ先生",       NoFont,                   Shown,  &TForm1::Image22Click,    "portrait4"},
    {&TForm1::Image23,   Panel5, 248,   8,  41,  41, NoColour, "サスライの剣士", NoFont,                   Shown,  &TForm1::Image23Click,    "portrait2"},
    {&TForm1::Image24,   Panel5, 320,   8,  41,  41, NoColour, "ダイモン ゴロウ",NoFont,                   Shown,  &TForm1::Image24Click,    "portrait3"},
    {&TForm1::Image25,   Panel5, 392,   8,  41,  41, NoColour, "戻る",           NoFont,                   Shown,  &TForm1::Image25Click,    "button_back"},
};

// Each runner's sprite frames and goal pose, by runner index.
struct RunnerSprites
{
    TImage *TForm1::*frameA;
    TImage *TForm1::*frameB;
    TImage *TForm1::*goalPose;
};
constexpr RunnerSprites Sprites[] = {
    {&TForm1::Image1, &TForm1::Image2, &TForm1::Image14},
    {&TForm1::Image6, &TForm1::Image7, &TForm1::Image17},
    {&TForm1::Image8, &TForm1::Image9, &TForm1::Image18},
    {&TForm1::Image10, &TForm1::Image11, &TForm1::Image16},
    {&TForm1::Image12, &TForm1::Image13, &TForm1::Image15},
};

const char *const StoppedClock = "0.0秒";

// A ranking line as the labels show it.
QString shownText(const std::string &bytes)
{
    return QString::fromStdString(cp932ToUtf8ForDisplay(bytes));
}

} // namespace

TForm1::TForm1()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("ミルタ100ｍ走"));
    setWindowIcon(QIcon(artwork("icon")));
    setFont(layoutFont(12));
    setColour(this, clAqua);
    move(231, 202);
    setFixedSize(599, 315);

    loadLayout<TForm1>(*this, Layout);
    MediaPlayer1 = newMediaPlayer("100m.mid");
    MediaPlayer2 = newMediaPlayer("goal.mid");
    Memo1 = builtInRankingLines();
    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(ClockIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    // The layout is loaded: the players open their songs, in layout order.
    // A song that cannot be opened ends the start-up.
    MediaPlayer1->Loaded();
    MediaPlayer2->Loaded();
}

TMediaPlayer *TForm1::newMediaPlayer(const char *fileName)
{
    auto *player = new TMediaPlayer(this);
    player->FileName = QString::fromUtf8(fileName);
    player->AutoOpen = true;
    return player;
}

TImage *TForm1::frameA(int r) const { return this->*Sprites[r].frameA; }
TImage *TForm1::frameB(int r) const { return this->*Sprites[r].frameB; }
TImage *TForm1::goalPose(int r) const { return this->*Sprites[r].goalPose; }

void TForm1::FormCreate()
{
    rankingFile.load(Memo1);
}

// The red pad: the first move of a race starts it; then every move that
// comes after the blue pad is half a stride.
void TForm1::Panel1MouseMove()
{
    if (race.started == 0) {
        race.started = 1;
        startClock();
        MediaPlayer2->Rewind();
        MediaPlayer1->Rewind();
        MediaPlayer1->Play();
    }
    if (race.stridePhase != RedPadExpected)
        return;
    race.stridePhase = BluePadExpected;
    frameA(race.runner)->hide();
    frameB(race.runner)->show();
    moveRunnerBy(race.runner, RunnerRoster[race.runner].redStep);
}

// The blue pad: the second half of the stride.
void TForm1::Panel2MouseMove()
{
    if (race.stridePhase != BluePadExpected)
        return;
    race.stridePhase = RedPadExpected;
    frameB(race.runner)->hide();
    frameA(race.runner)->show();
    moveRunnerBy(race.runner, RunnerRoster[race.runner].blueStep);
}

void TForm1::moveRunnerBy(int r, int step)
{
    frameA(r)->move(frameA(r)->x() + step, frameA(r)->y());
    frameB(r)->move(frameB(r)->x() + step, frameB(r)->y());
}

void TForm1::startClock()
{
    Timer1->start();
    if (!Timer1->isActive())
        throw EOutOfResources("タイマーを取得できません");
}

// A tick of the race clock: one tenth more; a runner who stands beyond the
// finish between strides has finished.
void TForm1::Timer1Timer()
{
    advanceClock(race);
    Label1->setCaption(QString::fromStdString(clockCaption(race.seconds, race.tenths)));
    if (race.stridePhase != RedPadExpected)
        return;
    for (int r : FinishTestOrder) {
        if (beyondFinish(frameA(r)->x()))
            finish(r);
    }
}

void TForm1::finish(int r)
{
    MediaPlayer1->Stop();
    MediaPlayer2->Play();
    frameA(r)->hide();
    race.stridePhase = RaceFinished;
    goalPose(r)->show();
    Timer1->stop();
    ranking();
}

// A finished race enters the top ten if its time ranks; the file is written
// at once.
void TForm1::ranking()
{
    enterRanking(
        race, Memo1, [this](int place) { return askRankingName(place, this); },
        [this] { rankingFile.save(Memo1); });
}

// The runner button opens the selection bar over the toolbar.
void TForm1::Image19Click()
{
    Panel4->hide();
    Panel5->show();
}

void TForm1::Image20Click() { selectRunner(0); }
void TForm1::Image21Click() { selectRunner(1); }
void TForm1::Image22Click() { selectRunner(4); }
void TForm1::Image23Click() { selectRunner(2); }
void TForm1::Image24Click() { selectRunner(3); }

// A choice made while the clock runs is ignored; the bar closes either way.
void TForm1::selectRunner(int r)
{
    if (!Timer1->isActive()) {
        race.runner = r;
        for (int other = 0; other < int(RunnerRoster.size()); ++other)
            frameA(other)->setVisible(other == r);
        for (int other = 0; other < int(RunnerRoster.size()); ++other)
            goalPose(other)->hide();
    }
    Panel5->hide();
    Panel4->show();
}

// The back button closes the selection bar.
void TForm1::Image25Click()
{
    Panel5->hide();
    Panel4->show();
}

// The exit button.
void TForm1::Image26Click()
{
    close();
}

// Retry: everything back to the start line, the clock stopped and cleared.
void TForm1::Image27Click()
{
    for (int r = 0; r < int(RunnerRoster.size()); ++r)
        goalPose(r)->hide();
    for (int r = 0; r < int(RunnerRoster.size()); ++r) {
        frameA(r)->move(StartLeft, frameA(r)->y());
        frameB(r)->move(StartLeft, frameB(r)->y());
    }
    Timer1->stop();
    MediaPlayer1->Stop();
    Label1->setCaption(QString::fromUtf8(StoppedClock));
    race.started = 0;
    race.stridePhase = RedPadExpected;
    race.tenths = 0;
    race.seconds = 0;
    frameA(race.runner)->show();
    frameB(race.runner)->hide();
}

// The ranking button shows the top ten as the ranking lines hold it.
void TForm1::Image28Click()
{
    Form2->showWindow();
    for (int k = 0; k < RankingPlaces; ++k)
        Form2->nameLabels()[k]->setCaption(shownText(Memo1.line(NameColumn + k)));
    for (int k = 0; k < RankingPlaces; ++k)
        Form2->timeLabels()[k]->setCaption(
            shownText(Memo1.line(SecondsColumn + k) + "." + Memo1.line(TenthsColumn + k)) + "秒");
}

// The help button: the help file beside the program, named after it.
void TForm1::Image29Click()
{
    HelpFile = QString::fromStdString(helpFileName(QCoreApplication::applicationFilePath().toStdString()));
    WinHelp(this, HelpFile, HELP_FINDER);
}

// The version button.
void TForm1::Image30Click()
{
    Form3->showWindow();
}

// The synth is made once the first frame is out, so that it never holds up
// the race screen; it is ready long before the first stride sounds the tune.
void TForm1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [] { MidiService::prepareShared(); });
    }
}

// Minimising the race screen takes the shown side windows along.
void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            for (QWidget *window : {static_cast<QWidget *>(Form2), static_cast<QWidget *>(Form3)}) {
                if (window && window->isVisible()) {
                    window->hide();
                    hiddenByMinimise_.append(window);
                }
            }
        } else {
            for (QWidget *window : std::exchange(hiddenByMinimise_, {}))
                window->show();
        }
    }
    QWidget::changeEvent(event);
}

// Closing the race screen ends the program: the window stays as it is and
// the event loop ends once the events already queued are done. Not quit():
// Qt 6 answers it by closing every window first, which lands here again.
void TForm1::closeEvent(QCloseEvent *event)
{
    event->ignore();
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
