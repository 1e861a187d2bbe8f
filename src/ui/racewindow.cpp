#include "ui/racewindow.h"

#include "core/cp932.h"
#include "core/errortext.h"
#include "media/tuneplayer.h"
#include "ranking/insertion.h"
#include "ui/namedialog.h"
#include "ui/desktop.h"
#include "ui/errorbox.h"
#include "ui/helpviewer.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>

namespace {

using W = RaceWindow;
constexpr LabelFont ClockFont = {24, true, clRed};
constexpr LabelFont GoalArrowFont = {13, true, clWindowText};
constexpr LabelFont GoalWordsFont = {11, true, clWindowText};
const char *const StoppedClock = "0.0秒";

// A ranking line as the labels show it.
QString shownText(const std::string &bytes)
{
    return QString::fromStdString(cp932ToUtf8ForDisplay(bytes));
}

} // namespace

// clang-format off
constexpr LayoutRow<RaceWindow> RaceWindow::layout[] = {
    {.objectName = "Image3",  .control = slot<&W::m_trackStrip>,                                          .left = 0,             .top = 128, .width = 633, .height = 105,                                                                                                                               .picture = "track",          .stretched = true},
    {.objectName = "Image2",  .control = slot<&W::m_strideFrames, 0>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner0_b"},
    {.objectName = "Image1",  .control = slot<&W::m_stanceFrames, 0>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                                                                               .picture = "runner0_a"},
    {.objectName = "Image4",  .control = slot<&W::m_leftCloud>,                                           .left = 96,            .top = 80,  .width = 65,  .height = 41,                                                                                                                                .picture = "cloud"},
    {.objectName = "Image5",  .control = slot<&W::m_rightCloud>,                                          .left = 320,           .top = 64,  .width = 65,  .height = 41,                                                                                                                                .picture = "cloud"},
    {.objectName = "Label1",  .control = slot<&W::m_clockLabel>,                                          .left = 472,           .top = 72,                                                   .text = StoppedClock,      .font = ClockFont},
    {.objectName = "Image6",  .control = slot<&W::m_stanceFrames, 1>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner1_a"},
    {.objectName = "Image7",  .control = slot<&W::m_strideFrames, 1>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner1_b"},
    {.objectName = "Image8",  .control = slot<&W::m_stanceFrames, 2>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner2_a"},
    {.objectName = "Image9",  .control = slot<&W::m_strideFrames, 2>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner2_b"},
    {.objectName = "Image10", .control = slot<&W::m_stanceFrames, 3>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner3_a"},
    {.objectName = "Image11", .control = slot<&W::m_strideFrames, 3>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner3_b"},
    {.objectName = "Image12", .control = slot<&W::m_stanceFrames, 4>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner4_a"},
    {.objectName = "Image13", .control = slot<&W::m_strideFrames, 4>,                                     .left = StartLeft,     .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner4_b"},
    {.objectName = "Image14", .control = slot<&W::m_goalPoses, 0>,                                        .left = GoalLeft,      .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner0_goal"},
    {.objectName = "Image15", .control = slot<&W::m_goalPoses, 4>,                                        .left = GoalLeft,      .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner4_goal"},
    {.objectName = "Image16", .control = slot<&W::m_goalPoses, 3>,                                        .left = GoalLeft,      .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner3_goal"},
    {.objectName = "Image17", .control = slot<&W::m_goalPoses, 1>,                                        .left = GoalLeft,      .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner1_goal"},
    {.objectName = "Image18", .control = slot<&W::m_goalPoses, 2>,                                        .left = GoalLeft,      .top = 128, .width = 71,  .height = 105,                                                                       .visible = false,                                       .picture = "runner2_goal"},
    {.objectName = "Panel3",  .control = slot<&W::m_groundStrip>,                                         .left = 0,             .top = 233, .width = 625, .height = 143, .colour = clOrange},
    // The goal marker: the arrow under the goal poses' middle, the words under the poses.
    {.objectName = "Label2",  .control = slot<&W::m_goalArrow>,       .parent = slot<&W::m_groundStrip>,  .left = GoalLeft + 32, .top = 0,                                                    .text = "↑",               .font = GoalArrowFont},
    {.objectName = "Label3",  .control = slot<&W::m_goalWords>,       .parent = slot<&W::m_groundStrip>,  .left = GoalLeft,      .top = 16,                                                   .text = "この辺がゴール",  .font = GoalWordsFont},
    {.objectName = "Panel1",  .control = slot<&W::m_redPad>,          .parent = slot<&W::m_groundStrip>,  .left = 48,            .top = 48,  .width = 81,  .height = 25,  .colour = clRed,                                                                        .handler = &W::onRedPadMoved},
    {.objectName = "Panel2",  .control = slot<&W::m_bluePad>,         .parent = slot<&W::m_groundStrip>,  .left = 128,           .top = 48,  .width = 81,  .height = 25,  .colour = clBlue,                                                                       .handler = &W::onBluePadMoved},
    {.objectName = "Panel4",  .control = slot<&W::m_toolbar>,                                             .left = 0,             .top = 0,   .width = 601, .height = 57,  .colour = clPink},
    {.objectName = "Image19", .control = slot<&W::m_runnerButton>,    .parent = slot<&W::m_toolbar>,      .left = 32,            .top = 8,   .width = 41,  .height = 41,                      .text = "キャラクター",                                             .handler = &W::onRunnerButtonClicked, .picture = "button_runner"},
    {.objectName = "Image26", .control = slot<&W::m_exitButton>,      .parent = slot<&W::m_toolbar>,      .left = 392,           .top = 8,   .width = 41,  .height = 41,                      .text = "終了",                                                     .handler = &W::onExitClicked,         .picture = "button_exit"},
    {.objectName = "Image27", .control = slot<&W::m_retryButton>,     .parent = slot<&W::m_toolbar>,      .left = 104,           .top = 8,   .width = 41,  .height = 41,                      .text = "リトライ",                                                 .handler = &W::onRetryClicked,        .picture = "button_retry"},
    {.objectName = "Image28", .control = slot<&W::m_rankingButton>,   .parent = slot<&W::m_toolbar>,      .left = 176,           .top = 8,   .width = 41,  .height = 41,                      .text = "ランキング",                                               .handler = &W::onRankingClicked,      .picture = "button_ranking"},
    {.objectName = "Image29", .control = slot<&W::m_helpButton>,      .parent = slot<&W::m_toolbar>,      .left = 248,           .top = 8,   .width = 41,  .height = 41,                      .text = "ヘルプ",                                                   .handler = &W::onHelpClicked,         .picture = "button_help"},
    {.objectName = "Image30", .control = slot<&W::m_versionButton>,   .parent = slot<&W::m_toolbar>,      .left = 320,           .top = 8,   .width = 41,  .height = 41,                      .text = "Ver情報",                                                  .handler = &W::onVersionClicked,      .picture = "button_version"},
    {.objectName = "Panel5",  .control = slot<&W::m_selectionBar>,                                        .left = 0,             .top = 0,   .width = 601, .height = 57,  .colour = clPink,                                                     .visible = false},
    {.objectName = "Image20", .control = slot<&W::m_portraits, 0>,    .parent = slot<&W::m_selectionBar>, .left = 32,            .top = 8,   .width = 41,  .height = 41,                      .text = "ポルカさん",                                               .handler = &W::onPortraitClicked<0>,  .picture = "portrait0"},
    {.objectName = "Image21", .control = slot<&W::m_portraits, 1>,    .parent = slot<&W::m_selectionBar>, .left = 104,           .top = 8,   .width = 41,  .height = 41,                      .text = "嘆きの老人",                                               .handler = &W::onPortraitClicked<1>,  .picture = "portrait1"},
    {.objectName = "Image22", .control = slot<&W::m_portraits, 4>,    .parent = slot<&W::m_selectionBar>, .left = 176,           .top = 8,   .width = 41,  .height = 41,                      .text = "ナギ先生",                                                 .handler = &W::onPortraitClicked<4>,  .picture = "portrait4"},
    {.objectName = "Image23", .control = slot<&W::m_portraits, 2>,    .parent = slot<&W::m_selectionBar>, .left = 248,           .top = 8,   .width = 41,  .height = 41,                      .text = "サスライの剣士",                                           .handler = &W::onPortraitClicked<2>,  .picture = "portrait2"},
    {.objectName = "Image24", .control = slot<&W::m_portraits, 3>,    .parent = slot<&W::m_selectionBar>, .left = 320,           .top = 8,   .width = 41,  .height = 41,                      .text = "ダイモン ゴロウ",                                          .handler = &W::onPortraitClicked<3>,  .picture = "portrait3"},
    {.objectName = "Image25", .control = slot<&W::m_backButton>,      .parent = slot<&W::m_selectionBar>, .left = 392,           .top = 8,   .width = 41,  .height = 41,                      .text = "戻る",                                                     .handler = &W::onBackClicked,         .picture = "button_back"},
};
// clang-format on

RaceWindow::RaceWindow(MusicService &music, HelpEngine &help, std::unique_ptr<RaceClock> clock)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_music(music), m_help(help),
      m_raceClock(clock ? std::move(clock) : std::make_unique<TimerRaceClock>())
{
    static_assert(fillsEveryElement<&W::m_stanceFrames>(layout) && fillsEveryElement<&W::m_strideFrames>(layout)
                      && fillsEveryElement<&W::m_goalPoses>(layout) && fillsEveryElement<&W::m_portraits>(layout),
                  "every runner of the roster has his sprites and his portrait");
    setWindowTitle(QStringLiteral("ミルタ100ｍ走"));
    setWindowIcon(QIcon(artwork("icon")));
    setFont(layoutFont(12));
    setColour(this, clAqua);
    move(231, 202);
    setFixedSize(599, 315);
    keepOnScreen(this);

    loadLayout<RaceWindow>(*this, layout);
    // For a player who cannot see them; the race itself stays a pointer game.
    m_redPad->setAccessibleName(QStringLiteral("赤いパッド"));
    m_bluePad->setAccessibleName(QStringLiteral("青いパッド"));
    // The keys every desktop game answers do what these buttons do.
    m_helpButton->setKeys({QKeySequence(Qt::Key_F1)});
    m_retryButton->setKeys({QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_N)});
    m_exitButton->setKeys({QKeySequence(Qt::CTRL | Qt::Key_Q)});
    answerGameKeys(this);

    m_raceTune = new TunePlayer(music, QStringLiteral("100m.mid"), this);
    m_goalTune = new TunePlayer(music, QStringLiteral("goal.mid"), this);
    m_rankingLines = builtInRankingLines();
    connect(m_raceClock.get(), &RaceClock::ticked, this, [this] { guarded([this] { onClockTick(); }); });

    // The layout is loaded: the tunes open, the race tune first. A tune that
    // cannot be opened ends the start-up.
    m_raceTune->open();
    m_goalTune->open();
}

RaceWindow::~RaceWindow() = default;

void RaceWindow::attachSideWindows(RankingWindow *ranking, VersionWindow *version)
{
    m_rankingWindow = ranking;
    m_versionWindow = version;
    answerGameKeys(ranking);
    answerGameKeys(version);
}

// A button's keys, in one of the game's windows while it is the active one.
// A modal box is the active window while it is open, so they rest then.
void RaceWindow::answerGameKeys(QWidget *window)
{
    for (PictureBox *button : {m_helpButton, m_retryButton, m_exitButton}) {
        auto *shortcut = new QShortcut(window);
        shortcut->setKeys(button->keys());
        // A key held down is one press, as a held mouse button is one click.
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (gameWindowsTakeInput())
                emit button->clicked();
        });
    }
}

void RaceWindow::loadRanking()
{
    m_rankingFile.load(m_rankingLines);
}

// The red pad: the first move of a race starts it; then every move that
// comes after the blue pad is half a stride.
void RaceWindow::onRedPadMoved()
{
    if (!m_race.started) {
        m_race.started = true;
        m_clockAnnouncements.restart();
        m_raceClock->start();
        m_goalTune->rewind();
        m_raceTune->rewind();
        m_raceTune->play();
    }
    if (m_race.stridePhase != StridePhase::RedPadExpected)
        return;
    m_race.stridePhase = StridePhase::BluePadExpected;
    stanceFrame(m_race.runner)->hide();
    strideFrame(m_race.runner)->show();
    moveRunnerBy(m_race.runner, RunnerRoster[m_race.runner].redStep);
}

// The blue pad: the second half of the stride.
void RaceWindow::onBluePadMoved()
{
    if (m_race.stridePhase != StridePhase::BluePadExpected)
        return;
    m_race.stridePhase = StridePhase::RedPadExpected;
    strideFrame(m_race.runner)->hide();
    stanceFrame(m_race.runner)->show();
    moveRunnerBy(m_race.runner, RunnerRoster[m_race.runner].blueStep);
}

void RaceWindow::moveRunnerBy(int runner, int step)
{
    for (PictureBox *frame : {stanceFrame(runner), strideFrame(runner)})
        frame->move(frame->x() + step, frame->y());
}

// A tick of the race clock: the time shown; a runner who stands beyond the
// finish between strides has finished.
void RaceWindow::onClockTick()
{
    const qint64 elapsedMs = m_raceClock->elapsedMs();
    advanceClock(m_race, elapsedMs);
    m_clockLabel->setText(QString::fromStdString(clockCaption(m_race.seconds, m_race.tenths)),
                          TextLabel::Announcement::Deferred);
    if (m_clockAnnouncements.dueAt(elapsedMs))
        m_clockLabel->announce();
    if (m_race.stridePhase != StridePhase::RedPadExpected)
        return;
    for (int runner : FinishTestOrder) {
        if (beyondFinish(stanceFrame(runner)->x()))
            finish(runner);
    }
}

void RaceWindow::finish(int runner)
{
    m_raceTune->stop();
    m_goalTune->play();
    stanceFrame(runner)->hide();
    m_race.stridePhase = StridePhase::Finished;
    goalPose(runner)->show();
    m_raceClock->stop();
    m_clockLabel->announce(); // the final time
    enterFinishIntoRanking();
}

// A finished race enters the top ten if its time ranks; the file is written
// at once.
void RaceWindow::enterFinishIntoRanking()
{
    enterRanking(
        m_race, m_rankingLines, [this](int place) { return askRankingName(place, this); },
        [this] { m_rankingFile.save(m_rankingLines); });
}

// The runner button opens the selection bar over the toolbar.
void RaceWindow::onRunnerButtonClicked()
{
    m_toolbar->hide();
    m_selectionBar->show();
}

// A choice made while the clock runs is ignored; the bar closes either way.
void RaceWindow::chooseRunner(int runner)
{
    if (!m_raceClock->isRunning()) {
        m_race.runner = runner;
        for (int other = 0; other < RunnerCount; ++other)
            stanceFrame(other)->setVisible(other == runner);
        for (PictureBox *pose : m_goalPoses)
            pose->hide();
    }
    closeSelectionBar();
}

void RaceWindow::onBackClicked()
{
    closeSelectionBar();
}

void RaceWindow::closeSelectionBar()
{
    m_selectionBar->hide();
    m_toolbar->show();
}

void RaceWindow::onExitClicked()
{
    close();
}

// Retry: everything back to the start line, the clock stopped and cleared.
void RaceWindow::onRetryClicked()
{
    for (PictureBox *pose : m_goalPoses)
        pose->hide();
    for (int runner = 0; runner < RunnerCount; ++runner) {
        for (PictureBox *frame : {stanceFrame(runner), strideFrame(runner)})
            frame->move(StartLeft, frame->y());
    }
    m_raceClock->stop();
    m_raceTune->stop();
    m_clockLabel->setText(QString::fromUtf8(StoppedClock));
    m_race.started = false;
    m_race.stridePhase = StridePhase::RedPadExpected;
    m_race.tenths = 0;
    m_race.seconds = 0;
    stanceFrame(m_race.runner)->show();
    strideFrame(m_race.runner)->hide();
}

// The ranking button shows the top ten as the ranking lines hold it.
void RaceWindow::onRankingClicked()
{
    m_rankingWindow->showWindow();
    for (int k = 0; k < RankingPlaces; ++k)
        m_rankingWindow->nameLabel(k)->setText(shownText(m_rankingLines.line(NameColumn + k)));
    for (int k = 0; k < RankingPlaces; ++k)
        m_rankingWindow->timeLabel(k)->setText(
            shownText(m_rankingLines.line(SecondsColumn + k) + "." + m_rankingLines.line(TenthsColumn + k)) + "秒");
}

// The help button: the help file beside the program, named after it. The
// race goes on while help is open, so the viewer leaves it in sight.
void RaceWindow::onHelpClicked()
{
    const QString helpFile =
        QString::fromStdString(helpFileName(QCoreApplication::applicationFilePath().toStdString()));
    const QRect pads = m_redPad->geometry().united(m_bluePad->geometry());
    // The clock's text grows to the right, up to the window's edge.
    const QRect clock(m_clockLabel->pos(), QPoint(width() - 1, m_clockLabel->geometry().bottom()));
    m_help.showContents(helpFile, {.screen = frameGeometry(),
                                   .pads = pads.translated(m_groundStrip->mapToGlobal(QPoint())),
                                   .clock = clock.translated(mapToGlobal(QPoint()))});
}

void RaceWindow::onVersionClicked()
{
    m_versionWindow->showWindow();
}

// The synth is made once the first frame is out, so that it never holds up
// the race screen; it is ready long before the first stride sounds the tune.
void RaceWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, this, [this] { guarded([this] { m_music.prepare(); }); });
    }
}

// Minimising the race screen takes the shown side windows along.
void RaceWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            for (QWidget *window : {static_cast<QWidget *>(m_rankingWindow), static_cast<QWidget *>(m_versionWindow)}) {
                if (window && window->isVisible()) {
                    window->hide();
                    m_hiddenByMinimise.append(window);
                }
            }
        } else {
            for (QWidget *window : std::exchange(m_hiddenByMinimise, {}))
                window->show();
        }
    }
    QWidget::changeEvent(event);
}

// Closing the race screen ends the program: the window stays as it is and
// the event loop ends once the events already queued are done. Not quit():
// Qt 6 answers it by closing every window first, which lands here again.
void RaceWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
