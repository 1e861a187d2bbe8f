#include "ui/controls.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int TooltipShowMs = 2500;
const char *const LayoutFace = "ＭＳ Ｐゴシック";
// Drawn to the same metrics as the face the layouts were designed with.
const char *const SubstituteFace = "IPAPGothic";

} // namespace

QFont layoutFont(int pixelHeight, bool bold)
{
    static const bool substituted = [] {
        QFont::insertSubstitution(LayoutFace, SubstituteFace);
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(LayoutFace);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void setColour(QWidget *widget, TColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

TImage::TImage(QWidget *parent) : QWidget(parent) {}

void TImage::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

bool TImage::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (!hint_.isEmpty())
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), hint_, this, QRect(),
                               TooltipShowMs);
        return true;
    }
    return QWidget::event(event);
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (stretch_)
        painter.drawPixmap(rect(), picture_);
    else
        painter.drawPixmap(0, 0, picture_);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QToolTip::hideText();
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
}

TLabel::TLabel(QWidget *parent, const LabelFont &font)
    : QWidget(parent), textColour_(toQColor(font.colour))
{
    setFont(layoutFont(font.pixelHeight, font.bold));
}

void TLabel::setCaption(const QString &caption)
{
    caption_ = caption;
    // The label grows to the right and down; its top-left corner stays.
    resize(fontMetrics().horizontalAdvance(caption_), font().pixelSize());
    update();
}

void TLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), parentWidget()->palette().color(QPalette::Window));
    painter.setPen(textColour_);
    painter.drawText(QPoint(0, fontMetrics().ascent()), caption_);
}

TPanel::TPanel(QWidget *parent, TColor colour) : QWidget(parent)
{
    setColour(this, colour);
}

void TPanel::mouseMoveEvent(QMouseEvent *)
{
    emit mouseMoved();
}

TBevel::TBevel(QWidget *parent) : QWidget(parent) {}

void TBevel::paintEvent(QPaintEvent *)
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
