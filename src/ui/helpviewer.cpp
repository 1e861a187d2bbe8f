#include "ui/helpviewer.h"

#include "ui/controls.h"
#include "ui/desktop.h"
#include "ui/placement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer()
    : QWidget(nullptr, Qt::Window), m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false); // the race screen alone ends the game
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    // A caret that the arrow keys move, line by line, so that a screen
    // reader reads the line it comes to; links stay a Tab away.
    m_browser->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    resize(PreferredSize);
}

// Escape and Return close the viewer, as they close the game's side windows;
// a Return on a link the keyboard chose follows the link (the text takes it
// before it comes here).
void HelpViewer::keyPressEvent(QKeyEvent *event)
{
    if (!isOkKey(event->key()))
        return QWidget::keyPressEvent(event);
    if (!event->isAutoRepeat())
        close();
}

void HelpViewer::showFile(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    const QString name = QDir::toNativeSeparators(helpFile);
    auto complain = [this](const QString &text) {
        setWindowTitle(QStringLiteral("ヘルプ"));
        m_browser->setPlainText(text);
    };
    if (!info.exists()) {
        complain(QStringLiteral("ヘルプ ファイル %1 が見つかりません。").arg(name));
        return;
    }
    QFile file(helpFile);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("ヘルプ ファイル %1 を読み込めません。").arg(name));
        return;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString html = utf8.decode(file.readAll());
    if (utf8.hasError() || file.error() != QFileDevice::NoError) {
        complain(QStringLiteral("ヘルプ ファイル %1 を読み込めません。").arg(name));
        return;
    }
    m_browser->setSearchPaths({info.absolutePath()}); // pictures beside the file
    m_browser->setHtml(html);
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? info.fileName() : title);
}

HelpEngine::~HelpEngine()
{
    delete m_viewer;
}

void HelpEngine::showContents(const QString &helpFile, const RaceInSight &race)
{
    if (!m_viewer) {
        m_viewer = new HelpViewer;
        activateWhenShown(m_viewer);
        if (race.screen.isNull())
            keepOnScreen(m_viewer);
        else
            keepOnScreen(m_viewer, [race](const QMargins &frameMargins) {
                const QScreen *screen = QGuiApplication::screenAt(race.screen.center());
                if (!screen)
                    screen = QGuiApplication::primaryScreen();
                return helpViewerFrame(HelpViewer::PreferredSize.grownBy(frameMargins),
                                       HelpViewer::MinimumSize.grownBy(frameMargins), race.screen, race.pads,
                                       race.clock, screen->availableGeometry());
            });
    }
    m_viewer->showFile(helpFile);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}

void HelpEngine::quit()
{
    if (m_viewer)
        m_viewer->close();
}
