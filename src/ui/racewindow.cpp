#include "ui/racewindow.h"

#include "core/cp932.h"
#include "core/errortext.h"
#include "media/tuneplayer.h"
#include "ranking/insertion.h"
#include "ui/accessibility.h"
#include "ui/namedialog.h"
#include "ui/desktop.h"
#include "ui/errorbox.h"
#include "ui/helpviewer.h"
#include "ui/messages.h"
#include "ui/placement.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QShortcut>
#include <QTimer>

namespace {

using W = RaceWindow;
using Row = LayoutRow<RaceWindow>;
constexpr LabelFont ClockFont = {24, true, clRed};
constexpr LabelFont GoalArrowFont = {13, true, clWindowText};
constexpr LabelFont GoalWordsFont = {11, true, clWindowText};

// The runners' sprites stand on the track.
constexpr int SpriteTop = 128;
constexpr int SpriteWidth = 71;
constexpr int SpriteHeight = 105;

// The buttons of the toolbar and of the selection bar stand in slots 72
// pixels apart.
constexpr int buttonLeft(int slot)
{
    return 32 + 72 * slot;
}
constexpr int ButtonTop = 8;
constexpr int ButtonSize = 41;

// The goal poses are made in this order of runners; the portraits stand on
// the selection bar in this order, left to right.
constexpr std::array<int, RunnerCount> GoalPoseOrder = {0, 4, 3, 1, 2};
constexpr std::array<int, RunnerCount> PortraitOrder = {0, 1, 4, 2, 3};

// A ranking line as the labels show it.
QString shownText(const std::string &bytes)
{
    return QString::fromStdString(cp932ToUtf8ForDisplay(bytes));
}

} // namespace

// clang-format off
consteval auto RaceWindow::layout()
{
    // Runner r's frame A (waiting for the red pad) and frame B at the start
    // line; at rest only runner 0's frame A shows.
    const auto stanceFrame = [](auto r, const char *objectName) {
        return Row{.objectName = objectName, .control = slot<&W::m_stanceFrames, r>,
                   .left = StartLeft, .top = SpriteTop, .width = SpriteWidth, .height = SpriteHeight,
                   .visible = r == 0, .picture = numbered<"runner", r, "_a">};
    };
    const auto strideFrame = [](auto r, const char *objectName) {
        return Row{.objectName = objectName, .control = slot<&W::m_strideFrames, r>,
                   .left = StartLeft, .top = SpriteTop, .width = SpriteWidth, .height = SpriteHeight,
                   .visible = false, .picture = numbered<"runner", r, "_b">};
    };
    // Runner 0's frames come before the clouds, the others' after the clock.
    const auto laterRunnersFrames = [&](auto r) {
        return std::array{stanceFrame(r, numbered<"Image", 2 * r + 4>), strideFrame(r, numbered<"Image", 2 * r + 5>)};
    };
    // The goal poses stand where the runners first stand beyond the finish line.
    const auto goalPose = [](auto i) {
        constexpr int r = GoalPoseOrder[i];
        return Row{.objectName = numbered<"Image", 14 + i>, .control = slot<&W::m_goalPoses, r>,
                   .left = GoalLeft, .top = SpriteTop, .width = SpriteWidth, .height = SpriteHeight,
                   .visible = false, .picture = numbered<"runner", r, "_goal">};
    };
    // A portrait chooses its runner; his name is its hint.
    const auto portrait = [](auto i) {
        constexpr int r = PortraitOrder[i];
        return Row{.objectName = numbered<"Image", 20 + i>, .control = slot<&W::m_portraits, r>,
                   .parent = slot<&W::m_selectionBar>,
                   .left = buttonLeft(i), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
                   .text = RunnerRoster[r].name, .textContext = "Runner", .handler = &W::onPortraitClicked<r>,
                   .picture = numbered<"portrait", r>};
    };
    return layoutRows(
        Row{.objectName = "Image3", .control = slot<&W::m_trackStrip>,
            .left = 0, .top = SpriteTop, .width = 633, .height = SpriteHeight,
            .picture = "track", .stretched = true},
        strideFrame(std::integral_constant<int, 0>(), "Image2"),
        stanceFrame(std::integral_constant<int, 0>(), "Image1"),
        Row{.objectName = "Image4", .control = slot<&W::m_leftCloud>,
            .left = 96, .top = 80, .width = 65, .height = 41,
            .picture = "cloud"},
        Row{.objectName = "Image5", .control = slot<&W::m_rightCloud>,
            .left = 320, .top = 64, .width = 65, .height = 41,
            .picture = "cloud"},
        Row{.objectName = "Label1", .control = slot<&W::m_clockLabel>,
            .left = 472, .top = 72,
            .font = ClockFont},
        layoutRowsFor<1, RunnerCount>(laterRunnersFrames),
        layoutRowsFor<0, RunnerCount>(goalPose),
        Row{.objectName = "Panel3", .control = slot<&W::m_groundStrip>,
            .left = 0, .top = 233, .width = 625, .height = 143,
            .colour = clOrange},
        // The goal marker: the arrow under the goal poses' middle, the words under the poses.
        Row{.objectName = "Label2", .control = slot<&W::m_goalArrow>, .parent = slot<&W::m_groundStrip>,
            .left = GoalLeft + 32, .top = 0,
            .text = "↑", .font = GoalArrowFont},
        Row{.objectName = "Label3", .control = slot<&W::m_goalWords>, .parent = slot<&W::m_groundStrip>,
            .left = GoalLeft, .top = 16,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "この辺がゴール"), .font = GoalWordsFont},
        Row{.objectName = "Panel1", .control = slot<&W::m_redPad>, .parent = slot<&W::m_groundStrip>,
            .left = 48, .top = 48, .width = 81, .height = 25,
            .colour = clRed, .handler = &W::onRedPadMoved},
        Row{.objectName = "Panel2", .control = slot<&W::m_bluePad>, .parent = slot<&W::m_groundStrip>,
            .left = 128, .top = 48, .width = 81, .height = 25,
            .colour = clBlue, .handler = &W::onBluePadMoved},
        Row{.objectName = "Panel4", .control = slot<&W::m_toolbar>,
            .left = 0, .top = 0, .width = 601, .height = 57,
            .colour = clPink},
        Row{.objectName = "Image19", .control = slot<&W::m_runnerButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(0), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "キャラクター"), .handler = &W::onRunnerButtonClicked, .picture = "button_runner"},
        Row{.objectName = "Image26", .control = slot<&W::m_exitButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(5), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "終了"), .handler = &W::onExitClicked, .picture = "button_exit"},
        Row{.objectName = "Image27", .control = slot<&W::m_retryButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(1), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "リトライ"), .handler = &W::onRetryClicked, .picture = "button_retry"},
        Row{.objectName = "Image28", .control = slot<&W::m_rankingButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(2), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "ランキング"), .handler = &W::onRankingClicked, .picture = "button_ranking"},
        Row{.objectName = "Image29", .control = slot<&W::m_helpButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(3), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "ヘルプ"), .handler = &W::onHelpClicked, .picture = "button_help"},
        Row{.objectName = "Image30", .control = slot<&W::m_versionButton>, .parent = slot<&W::m_toolbar>,
            .left = buttonLeft(4), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "Ver情報"), .handler = &W::onVersionClicked, .picture = "button_version"},
        Row{.objectName = "Panel5", .control = slot<&W::m_selectionBar>,
            .left = 0, .top = 0, .width = 601, .height = 57,
            .colour = clPink, .visible = false},
        layoutRowsFor<0, RunnerCount>(portrait),
        // Back, in the slot after the last portrait.
        Row{.objectName = "Image25", .control = slot<&W::m_backButton>, .parent = slot<&W::m_selectionBar>,
            .left = buttonLeft(RunnerCount), .top = ButtonTop, .width = ButtonSize, .height = ButtonSize,
            .text = QT_TRANSLATE_NOOP("RaceWindow", "戻る"), .handler = &W::onBackClicked, .picture = "button_back"});
}
// clang-format on

RaceWindow::RaceWindow(MusicService &music, HelpEngine &help, std::unique_ptr<RaceClock> clock)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_music(music), m_help(help),
      m_raceClock(clock ? std::move(clock) : std::make_unique<TimerRaceClock>()),
      m_ranking([](const std::function<void()> &work) { guarded(work); })
{
    static constexpr auto rows = layout();
    static_assert(everyImageHasAPicture(rows));
    static_assert(fillsEveryElement<&W::m_stanceFrames>(rows) && fillsEveryElement<&W::m_strideFrames>(rows)
                      && fillsEveryElement<&W::m_goalPoses>(rows) && fillsEveryElement<&W::m_portraits>(rows),
                  "every runner of the roster has his sprites and his portrait");
    setWindowTitle(tr("ミルタ100ｍ走"));
    setWindowIcon(QIcon(artwork("icon")));
    setFont(layoutFont(12));
    setColour(this, clAqua);
    move(RaceScreenPlace.topLeft());
    setFixedSize(RaceScreenPlace.size());
    keepOnScreen(this);
    refuseMaximise(this);

    loadLayout<RaceWindow>(*this, rows);
    // For a player who cannot see them; the race itself stays a pointer game.
    // The clock stands still, in the player's words.
    m_clockLabel->setText(timeCaption(0, 0));
    setAccessibleDescription(
        tr("赤と青のパッドの上でマウスを左右に振って走者を走らせ、100mのタイムを競うゲームで、F1 キーでヘルプが開きます。"));
    m_redPad->setAccessibleName(tr("赤いパッド"));
    m_bluePad->setAccessibleName(tr("青いパッド"));
    describeRunner();
    for (FlatPanel *pad : {m_redPad, m_bluePad})
        connect(pad, &FlatPanel::pointerLeft, this, &RaceWindow::onPadLeft);
    // The keys every desktop game answers do what these buttons do.
    m_helpButton->setKeys({QKeySequence(Qt::Key_F1)});
    m_retryButton->setKeys({QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_N)});
    m_exitButton->setKeys({QKeySequence(Qt::CTRL | Qt::Key_Q)});
    answerGameKeys(this);
    // Tab goes along each bar as it is seen, left to right.
    const std::array toolbarButtons = {m_runnerButton, m_retryButton, m_rankingButton,
                                       m_helpButton,   m_versionButton, m_exitButton};
    QWidget *previous = nullptr;
    for (PictureBox *button : toolbarButtons) {
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
    for (int slot = 0; slot < RunnerCount; ++slot) {
        setTabOrder(previous, m_portraits.at(PortraitOrder[slot]));
        previous = m_portraits.at(PortraitOrder[slot]);
    }
    setTabOrder(previous, m_backButton);
    // Escape closes the selection bar, as its back button does.
    new QShortcut(QKeySequence(Qt::Key_Escape), m_selectionBar, this, &RaceWindow::onBackClicked,
                  Qt::WidgetWithChildrenShortcut);
    // The race by ear's keys: on and off, and the clock read at once.
    for (auto [key, handler] : {std::pair{Qt::Key_F3, &RaceWindow::onClockKey},
                                std::pair{Qt::Key_F4, &RaceWindow::onRaceByEarKey}}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this, this, handler);
        shortcut->setAutoRepeat(false);
    }
    m_notice = new SpokenNotice(this);

    m_raceTune = new TunePlayer(music, QStringLiteral("100m.mid"), this);
    m_goalTune = new TunePlayer(music, QStringLiteral("goal.mid"), this);
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
        // The help viewer may outlive the race screen.
        if (window != this)
            connect(this, &QObject::destroyed, shortcut, &QObject::deleteLater);
        // Only while the player could press the button itself.
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->canBePressed())
                emit button->clicked();
        });
    }
}

void RaceWindow::loadRanking()
{
    m_ranking.load();
}

void RaceWindow::saveRankingBeforeExit()
{
    m_ranking.saveBeforeExit();
}

// The red pad: the first move of a race starts it; then every move that
// comes after the blue pad is half a stride.
void RaceWindow::onRedPadMoved()
{
    if (!m_race.started) {
        m_race.started = true;
        m_quartersCalled = 0;
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
    hearStride(Cue::RedStride);
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
    hearStride(Cue::BlueStride);
}

void RaceWindow::moveRunnerBy(int runner, int step)
{
    for (PictureBox *frame : {stanceFrame(runner), strideFrame(runner)})
        frame->move(frame->x() + step, frame->y());
}

void RaceWindow::chooseRaceByEar(bool on)
{
    m_raceByEarChosen = on;
    m_raceByEar = on;
}

void RaceWindow::followScreenReader(bool running)
{
    m_raceByEar = running || m_raceByEarChosen;
}

// By ear, a counted half-stride is heard, and the first stride beyond each
// quarter of the way is told.
void RaceWindow::hearStride(Cue stride)
{
    if (!m_raceByEar)
        return;
    m_music.sound(stride);
    const int quarters = quartersRun(stanceFrame(m_race.runner)->x());
    if (quarters <= m_quartersCalled)
        return;
    m_quartersCalled = quarters;
    m_music.sound(Cue::Quarter);
    m_notice->say(QStringLiteral("%1m").arg(25 * quarters));
}

// By ear, mid-race, a pointer that leaves both pads is warned of: no stride
// counts off them. Looked at once the pointer's way is known: the pad it
// moves onto hears of it after the pad it left.
void RaceWindow::onPadLeft()
{
    QTimer::singleShot(0, this, [this] {
        const bool midRace = m_race.started && m_race.stridePhase != StridePhase::Finished;
        if (m_raceByEar && midRace && !m_redPad->underMouse() && !m_bluePad->underMouse())
            m_music.sound(Cue::PointerOffPads);
    });
}

void RaceWindow::onRaceByEarKey()
{
    chooseRaceByEar(!m_raceByEar);
    m_notice->say(m_raceByEar ? tr("音声案内 オン") : tr("音声案内 オフ"));
}

// The clock as it stands, to the tenth: a screen reader reads a label only
// when asked, and then what it last heard.
void RaceWindow::onClockKey()
{
    m_notice->say(m_clockLabel->text());
}

// A tick of the race clock: the time shown; a runner who stands beyond the
// finish between strides has finished.
void RaceWindow::onClockTick()
{
    const qint64 elapsedMs = m_raceClock->elapsedMs();
    advanceClock(m_race, elapsedMs);
    m_clockLabel->setText(timeCaption(m_race.seconds, m_race.tenths),
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
// at once, or as soon as another copy of the game in the same folder lets
// go of it. The race is placed among what that copy has saved, and if it
// saves again while the name dialog is open, the save places it once more.
//
// A screen reader hears the time with the name dialog's prompt, which says
// the place, or the time and that it did not rank; then the saved entry.
// Said at once, the time would be cut short by the dialog that follows.
void RaceWindow::enterFinishIntoRanking()
{
    const QString time = m_clockLabel->text();
    int askedPlace = 0;
    m_ranking.enterFinish(m_race, [this, &askedPlace, &time](int place) {
        askedPlace = place;
        return askRankingName(place, this, time);
    });
    if (askedPlace)
        m_notice->say(tr("%1位に %2 を登録しました").arg(QString::number(askedPlace), shownText(m_race.entryName)));
    else
        m_notice->say(tr("%1 ランキング外です").arg(time));
}

// The runner button opens the selection bar over the toolbar.
void RaceWindow::onRunnerButtonClicked()
{
    swapBars(m_selectionBar, m_portraits.at(PortraitOrder[0]));
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
        describeRunner();
    }
    closeSelectionBar();
}

// The runner button says who runs; a screen reader reads it as the focus
// comes back to the button from the selection bar.
void RaceWindow::describeRunner()
{
    m_runnerButton->setAccessibleDescription(
        tr("%1が走ります").arg(QCoreApplication::translate("Runner", RunnerRoster[m_race.runner].name)));
}

void RaceWindow::onBackClicked()
{
    closeSelectionBar();
}

void RaceWindow::closeSelectionBar()
{
    swapBars(m_toolbar, m_runnerButton);
}

// One bar gives way to the other, and the keyboard focus goes to the button
// named, with the focus mark if the keyboard had brought it to the button
// pressed.
void RaceWindow::swapBars(FlatPanel *shown, PictureBox *focused)
{
    auto *pressed = qobject_cast<PictureBox *>(focusWidget());
    FlatPanel *hidden = shown == m_toolbar ? m_selectionBar : m_toolbar;
    hidden->hide();
    shown->show();
    if (pressed)
        pressed->passFocusTo(focused);
    else
        focused->setFocus(Qt::OtherFocusReason);
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
    m_clockLabel->setText(timeCaption(0, 0));
    m_race.started = false;
    m_race.stridePhase = StridePhase::RedPadExpected;
    m_race.tenths = 0;
    m_race.seconds = 0;
    stanceFrame(m_race.runner)->show();
    strideFrame(m_race.runner)->hide();
    m_notice->say(tr("新しいレースの用意ができました"));
}

// The ranking button shows the top ten as the ranking lines hold it.
void RaceWindow::onRankingClicked()
{
    if (!m_rankingWindow)
        emit sideWindowsWanted();
    m_rankingWindow->showWindow();
    for (int k = 0; k < RankingPlaces; ++k)
        m_rankingWindow->nameLabel(k)->setText(shownText(rankingLines().line(NameColumn + k)));
    for (int k = 0; k < RankingPlaces; ++k)
        m_rankingWindow->timeLabel(k)->setText(timeCaption(shownText(rankingLines().line(SecondsColumn + k)),
                                                           shownText(rankingLines().line(TenthsColumn + k))));
}

// The help button: the help file beside the program, named after it. The
// race goes on while help is open, so the viewer leaves it in sight.
void RaceWindow::onHelpClicked()
{
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    QString helpFile = QString::fromStdString(helpFileName(program, m_help.language().toStdString()));
    // A language without a help page of its own shows the game's own.
    if (!QFileInfo::exists(helpFile))
        helpFile = QString::fromStdString(helpFileName(program));
    const QRect pads = m_redPad->geometry().united(m_bluePad->geometry());
    // The clock's text grows to the right, up to the window's edge.
    const QRect clock(m_clockLabel->pos(), QPoint(width() - 1, m_clockLabel->geometry().bottom()));
    m_help.showContents(helpFile, {.screen = frameGeometry(),
                                   .pads = pads.translated(m_groundStrip->mapToGlobal(QPoint())),
                                   .clock = clock.translated(mapToGlobal(QPoint()))});
    // The viewer is one of the game's windows: the game's keys work there too.
    if (m_help.viewer() && m_help.viewer() != m_helpViewer) {
        m_helpViewer = m_help.viewer();
        answerGameKeys(m_helpViewer);
    }
}

void RaceWindow::onVersionClicked()
{
    if (!m_versionWindow)
        emit sideWindowsWanted();
    m_versionWindow->showWindow();
}

// The synth and the side windows are made once the first frame is out, so
// that they never hold up the race screen; the synth is ready long before the
// first stride sounds the tune.
void RaceWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, this, [this] {
            guarded([this] {
                m_music.prepare();
                emit sideWindowsWanted();
            });
        });
    }
}

// Minimising the race screen takes the shown side windows along; restoring
// it brings them back, stacked as they were: each window in turn, the lowest
// first, goes on top.
void RaceWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            QList<QWidget *> shown;
            for (QWidget *window : QList<QWidget *>{m_rankingWindow, m_versionWindow}) {
                if (window && window->isVisible())
                    shown.append(window);
            }
            m_stackedBeforeMinimise.clear();
            if (!shown.isEmpty()) {
                for (QWidget *window : stackingOrder(shown + QList<QWidget *>{this}))
                    m_stackedBeforeMinimise.append(window);
                for (QWidget *window : shown)
                    window->hide();
            }
        } else {
            for (const QPointer<QWidget> &window : std::exchange(m_stackedBeforeMinimise, {})) {
                if (!window)
                    continue;
                window->show();
                window->raise();
            }
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
