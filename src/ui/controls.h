#pragma once

#include "ui/colours.h"

#include <QPixmap>
#include <QWidget>

// The kinds of control the windows are made of. Images, labels and bevels
// draw over their parent in creation order; panels are filled rectangles
// that hold further controls.

// Font of a label: the game's one face at a pixel height.
struct LabelFont
{
    int pixelHeight;
    bool bold;
    TColor colour;
};
QFont layoutFont(int pixelHeight, bool bold = false);

// A picture drawn opaque at its own size from the top-left corner, or scaled
// to the whole control when stretched. Where the picture is smaller than the
// control, what lies beneath shows through. An image with a hint shows it as
// a tooltip.
class TImage : public QWidget
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent);
    void setPicture(const QPixmap &picture);
    void setStretch(bool stretch) { stretch_ = stretch; }
    void setHint(const QString &hint) { hint_ = hint; }
    QString hint() const { return hint_; }

signals:
    void clicked();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap picture_;
    QString hint_;
    bool stretch_ = false;
    bool pressed_ = false;
};

// One line of left-aligned plain text that sizes itself to the text. Its left
// and top edges stay put; its rectangle is filled with the parent's colour.
class TLabel : public QWidget
{
    Q_OBJECT
public:
    TLabel(QWidget *parent, const LabelFont &font);
    void setCaption(const QString &caption);
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString caption_;
    QColor textColour_;
};

// A flat rectangle in one colour: no bevel, no border, no caption.
class TPanel : public QWidget
{
    Q_OBJECT
public:
    TPanel(QWidget *parent, TColor colour);

signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};

// The one-pixel outline of a sunken box: shadow at the top and left,
// highlight at the bottom and right, the inside left alone. Two pixels high
// it shows as an etched line.
class TBevel : public QWidget
{
    Q_OBJECT
public:
    explicit TBevel(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Sets a window's or panel's own colour, the one its labels fill with.
void setColour(QWidget *widget, TColor colour);
