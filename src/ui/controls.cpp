#include "ui/controls.h"

#include "ui/accessibility.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

// The layouts were designed in "ＭＳ Ｐゴシック"; IPAPGothic is drawn to the
// same metrics. Asked for by its own name: a substitute for a face that is
// not installed makes Qt look for fallback faces at every new font, some
// twenty million instructions before the first frame.
QFont layoutFont(int pixelHeight, bool bold)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

bool gameWindowsTakeInput()
{
    return !QApplication::activeModalWidget();
}

bool isOkKey(int key)
{
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void setColour(QWidget *widget, BgrColour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_stretched = QPixmap();
    coverIfOpaque();
    update();
}

void PictureBox::setStretch(bool stretch)
{
    m_stretch = stretch;
    m_stretched = QPixmap();
    coverIfOpaque();
    update();
}

// A stretched opaque picture covers the control: what lies beneath need not
// be painted first.
void PictureBox::coverIfOpaque()
{
    setAttribute(Qt::WA_OpaquePaintEvent, m_stretch && !m_picture.isNull() && !m_picture.hasAlphaChannel());
}

void PictureBox::setHint(const QString &hint)
{
    m_hint = new Hint(this, hint);
    // The hint follows the pointer's moves, no button held.
    setMouseTracking(true);
    // A click leaves the focus where it is: the mouse never brings a mark.
    setFocusPolicy(Qt::TabFocus);
}

bool PictureBox::canBePressed() const
{
    return isVisible() && gameWindowsTakeInput();
}

void PictureBox::passFocusTo(PictureBox *next) const
{
    next->setFocus(m_focusFromKeyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_stretch) {
        painter.drawPixmap(0, 0, m_picture);
        if (m_focusFromKeyboard && hasFocus()) {
            // The dotted rectangle a desktop draws inside a focused button,
            // black and white so that it shows on any picture.
            const QRect mark = rect().adjusted(3, 3, -4, -4);
            painter.setPen(Qt::white);
            painter.drawRect(mark);
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawRect(mark);
        }
        return;
    }
    // Scaling at every paint was half the cost of a stride (the track strip
    // under the runner): the picture is scaled once, by the same call onto a
    // pixmap of the screen's pixel ratio, and copied from then on.
    const qreal ratio = devicePixelRatio();
    if (m_stretched.isNull() || m_stretched.devicePixelRatio() != ratio
        || m_stretched.deviceIndependentSize() != QSizeF(size())) {
        m_stretched = QPixmap(size() * ratio);
        m_stretched.setDevicePixelRatio(ratio);
        m_stretched.fill(m_picture.hasAlphaChannel() ? Qt::transparent : Qt::black);
        QPainter scaler(&m_stretched);
        scaler.drawPixmap(rect(), m_picture);
    }
    painter.drawPixmap(0, 0, m_stretched);
}

// Tab or Shift+Tab where this is the one button (a side window's OK) leaves
// the focus here: the mark comes all the same.
bool PictureBox::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::KeyPress && hasFocus()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            showFocusMark();
    }
    return handled;
}

void PictureBox::showFocusMark()
{
    if (m_focusFromKeyboard)
        return;
    m_focusFromKeyboard = true;
    update();
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A key held down is one press, as a held mouse button is one click.
        if (!event->isAutoRepeat() && canBePressed())
            emit clicked();
        return;
    case Qt::Key_Left:
        focusNeighbour(-1);
        return;
    case Qt::Key_Right:
        focusNeighbour(+1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

// Left and Right go along the bar, round from one end to the other.
void PictureBox::focusNeighbour(int direction)
{
    QList<PictureBox *> bar;
    for (PictureBox *button : parentWidget()->findChildren<PictureBox *>(Qt::FindDirectChildrenOnly)) {
        if (button->focusPolicy() & Qt::TabFocus && button->isVisible())
            bar.append(button);
    }
    std::ranges::sort(bar, {}, [](const PictureBox *button) { return button->x(); });
    const auto here = bar.indexOf(this);
    if (here < 0)
        return;
    PictureBox *next = bar.at((here + direction + bar.size()) % bar.size());
    if (next == this)
        showFocusMark();
    else
        next->setFocus(Qt::TabFocusReason);
}

// The focus mark follows the keyboard: Tab, Shift+Tab and the arrows bring it,
// focus set by the game brings it only where passFocusTo hands it on, and a
// window that becomes active again gives its button the focus as it had it.
void PictureBox::focusInEvent(QFocusEvent *event)
{
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
        m_focusFromKeyboard = true;
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        m_focusFromKeyboard = false;
    }
    // Repainted only where the mark comes or goes.
    if (m_focusFromKeyboard)
        update();
}

void PictureBox::focusOutEvent(QFocusEvent *)
{
    if (m_focusFromKeyboard)
        update();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void PictureBox::enterEvent(QEnterEvent *event)
{
    if (m_hint)
        m_hint->pointerEntered(event->globalPosition().toPoint());
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_hint)
        m_hint->pointerMoved(event->globalPosition().toPoint());
}

void PictureBox::leaveEvent(QEvent *)
{
    if (m_hint)
        m_hint->pointerLeft();
}

void PictureBox::hideEvent(QHideEvent *)
{
    if (m_hint)
        m_hint->pointerLeft();
}

TextLabel::TextLabel(QWidget *parent, const LabelFont &font)
    : QWidget(parent), m_textColour(toQColor(font.colour))
{
    setFont(layoutFont(font.pixelHeight, font.bold));
}

void TextLabel::setText(const QString &text, Announcement announcement)
{
    m_text = text;
    // The label grows to the right and down; its top-left corner stays.
    resize(fontMetrics().horizontalAdvance(m_text), font().pixelSize());
    update();
    if (announcement == Announcement::Now)
        announce();
}

void TextLabel::announce()
{
    if (m_announcedText == m_text)
        return;
    m_announcedText = m_text;
    announceNameChange(this);
}

void TextLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), parentWidget()->palette().color(QPalette::Window));
    painter.setPen(m_textColour);
    painter.drawText(QPoint(0, fontMetrics().ascent()), m_text);
}

FlatPanel::FlatPanel(QWidget *parent, BgrColour colour) : QWidget(parent)
{
    if (colour != NoColour)
        setColour(this, colour);
}

void FlatPanel::mouseMoveEvent(QMouseEvent *)
{
    emit mouseMoved();
}

void FlatPanel::leaveEvent(QEvent *)
{
    emit pointerLeft();
}

SunkenBox::SunkenBox(QWidget *parent) : QWidget(parent) {}

void SunkenBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int right = width() - 1, bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, right - 1, 0);
    painter.drawLine(0, 1, 0, bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom - 1);
}
