#include "ui/helpviewer.h"

#include "ui/accessibility.h"
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
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Where an anchor of the document is, or -1.
int anchorPosition(const QTextDocument &document, const QString &name)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            if (piece.fragment().charFormat().anchorNames().contains(name))
                return piece.fragment().position();
        }
    }
    return -1;
}

} // namespace

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
    m_notice = new SpokenNotice(this);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    m_browser->installEventFilter(this);
    resize(PreferredSize);
}

// A link within the file takes the caret along, so that a screen reader
// reads on from where it leads, and says the line it leads to (a caret moved
// by Return is not read); after the browser has scrolled there.
void HelpViewer::followLink(const QUrl &link)
{
    if (!link.hasFragment() || !link.path().isEmpty())
        return;
    QTimer::singleShot(0, this, [this, name = link.fragment()] {
        const int position = anchorPosition(*m_browser->document(), name);
        if (position < 0)
            return;
        QTextCursor caret = m_browser->textCursor();
        caret.setPosition(position);
        m_browser->setTextCursor(caret);
        m_notice->say(caret.block().text());
    });
}

// Tab and Shift+Tab choose a link without a word to a screen reader: the
// viewer says it, once the browser has chosen.
bool HelpViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            QTimer::singleShot(0, this, &HelpViewer::sayChosenLink);
    }
    return QWidget::eventFilter(watched, event);
}

// The link chosen, if any, is said.
void HelpViewer::sayChosenLink()
{
    const QTextCursor caret = m_browser->textCursor();
    QTextCursor lastChosen = caret;
    lastChosen.setPosition(caret.selectionEnd());
    if (caret.hasSelection() && lastChosen.charFormat().isAnchor())
        m_notice->say(caret.selectedText());
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
        setWindowTitle(tr("ヘルプ"));
        m_browser->setPlainText(text);
    };
    if (!info.exists()) {
        complain(tr("ヘルプ ファイル %1 が見つかりません。").arg(name));
        return;
    }
    QFile file(helpFile);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        complain(tr("ヘルプ ファイル %1 を読み込めません。").arg(name));
        return;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString html = utf8.decode(file.readAll());
    if (utf8.hasError() || file.error() != QFileDevice::NoError) {
        complain(tr("ヘルプ ファイル %1 を読み込めません。").arg(name));
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
