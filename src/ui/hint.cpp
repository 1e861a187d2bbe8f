#include "ui/hint.h"

#include "ui/placement.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QToolTip>

namespace {

constexpr int WakeUpMs = 500;
constexpr int ShowMs = 2500;
// Where the hint stands from the pointer's hot spot: just below the arrow.
constexpr QPoint BelowThePointer(2, 16);

// The pointer has just left a control whose hint was showing. It stays set
// until the events of that move are done: an enter among them is a move
// straight onto the next control.
bool pointerLeftAShownHint = false;

} // namespace

Hint::Hint(QWidget *control, const QString &text) : QObject(control), m_control(control), m_text(text)
{
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setInterval(WakeUpMs);
    m_wakeUp.callOnTimeout(this, &Hint::show);
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(ShowMs);
    m_expiry.callOnTimeout(this, &Hint::expire);
}

void Hint::pointerEntered(QPoint globalPos)
{
    if (m_state != State::Away)
        return;
    m_pointer = globalPos;
    qApp->installEventFilter(this);
    if (pointerLeftAShownHint)
        show();
    else
        wait();
}

void Hint::pointerMoved(QPoint globalPos)
{
    m_pointer = globalPos;
    if (m_state == State::Waiting || m_state == State::Dismissed)
        wait();
}

void Hint::pointerLeft()
{
    if (m_state == State::Away)
        return;
    if (m_state == State::Shown) {
        pointerLeftAShownHint = true;
        QMetaObject::invokeMethod(qApp, [] { pointerLeftAShownHint = false; }, Qt::QueuedConnection);
    }
    qApp->removeEventFilter(this);
    hide();
    m_state = State::Away;
}

bool Hint::eventFilter(QObject *, QEvent *event)
{
    // A key that a window takes as a shortcut (F1, F2, ...) comes only as
    // ShortcutOverride; every other key comes as that and then as KeyPress.
    const bool press = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride
                       || event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && (m_state == State::Waiting || m_state == State::Shown)) {
        hide();
        m_state = State::Dismissed;
    }
    return false;
}

// The pointer must rest for the whole delay: every move starts it again.
void Hint::wait()
{
    m_state = State::Waiting;
    m_wakeUp.start();
}

void Hint::show()
{
    if (!m_label) {
        m_label = new QLabel(m_text, m_control, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        m_label->setTextFormat(Qt::PlainText);
        m_label->setPalette(QToolTip::palette());
        m_label->setFont(QToolTip::font());
        m_label->setForegroundRole(QPalette::ToolTipText);
        m_label->setBackgroundRole(QPalette::ToolTipBase);
        m_label->setAutoFillBackground(true);
        m_label->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_label->setMargin(2);
        // The pointer reaches the control through the hint.
        m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_label->adjustSize();
    }
    const QScreen *screen = QGuiApplication::screenAt(m_pointer);
    if (!screen)
        screen = m_control->screen();
    m_label->move(fittedInto(QRect(m_pointer + BelowThePointer, m_label->size()), screen->geometry()).topLeft());
    m_label->show();
    m_wakeUp.stop();
    m_expiry.start();
    m_state = State::Shown;
}

void Hint::expire()
{
    hide();
    m_state = State::Expired;
}

void Hint::hide()
{
    m_wakeUp.stop();
    m_expiry.stop();
    if (m_label)
        m_label->hide();
}
