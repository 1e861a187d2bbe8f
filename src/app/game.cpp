#include "app/game.h"

#include "ui/accessibility.h"
#include "ui/desktop.h"
#include "ui/errorbox.h"
#include "ui/layout.h"
#include "ui/racewindow.h"
#include "ui/translation.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QApplication>
#include <QLocale>

Game::Game(MusicService::Output musicOutput, const char *codePage932)
    : m_codePage932(codePage932), m_music(musicOutput)
{
    // The player's language, before any window: the help follows it.
    m_help.setLanguage(installTranslation(m_translator, QLocale::system()));
    QApplication::setWindowIcon(QIcon(artwork("icon")));
    installAccessibleInterfaces();
}

Game::~Game() = default;

int Game::run()
{
    try {
        requireCp932(m_codePage932);
        m_raceWindow = std::make_unique<RaceWindow>(m_music, m_help);
        m_raceWindow->chooseRaceByEar(m_raceByEarChosen);
    } catch (const Exception &error) {
        showFatalErrorBox(error);
        return 1;
    }
    guarded([this] { m_raceWindow->loadRanking(); });
    // The side windows, hidden until asked for, come after the first frame.
    QObject::connect(m_raceWindow.get(), &RaceWindow::sideWindowsWanted, m_raceWindow.get(),
                     [this] { makeSideWindows(); });
    QObject::connect(&m_screenReader, &ScreenReaderStatus::changed, m_raceWindow.get(), &RaceWindow::followScreenReader);

    // The desktop that started the game may have handed it an activation
    // token: with it the race screen gets the keyboard on Wayland.
    if (qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        activateWhenShown(m_raceWindow.get());
    m_raceWindow->show();
    const int exitCode = QApplication::exec();

    // The windows go at once. The ranking's last save may wait a few seconds
    // for another copy's lock; if it still fails, the error box says so
    // before the program ends.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QGuiApplication::sync();
    guarded([this] { m_raceWindow->saveRankingBeforeExit(); });

    m_versionWindow.reset();
    m_rankingWindow.reset();
    m_raceWindow.reset();
    m_help.quit();
    return exitCode;
}

void Game::makeSideWindows()
{
    if (m_rankingWindow)
        return;
    // The desktop is asked about its screen reader after the first frame too.
    m_screenReader.watch();
    m_rankingWindow = std::make_unique<RankingWindow>(m_raceWindow.get());
    m_versionWindow = std::make_unique<VersionWindow>(m_raceWindow.get());
    m_raceWindow->attachSideWindows(m_rankingWindow.get(), m_versionWindow.get());
}
