#pragma once

#include "ui/colours.h"
#include "ui/hint.h"

#include <QKeySequence>
#include <QList>
#include <QPixmap>
#include <QWidget>

// The kinds of control the windows are made of. Images, labels and bevels
// draw over their parent in creation order; panels are filled rectangles
// that hold further controls.

// Font of a label: the game's one face at a pixel height.
struct LabelFont
{
    int pixelHeight = 12;
    bool bold = false;
    BgrColour colour = clWindowText;
};
QFont layoutFont(int pixelHeight, bool bold = false);

// A picture drawn opaque at its own size from the top-left corner, or scaled
// to the whole control when stretched. Where the picture is smaller than the
// control, what lies beneath shows through. An image with a hint shows it
// under the pointer resting on it, and is a button the keyboard reaches too:
// Tab and Shift+Tab, Left and Right along its bar; Space and Return press it.
// The focused button shows a focus mark only when the keyboard brought the
// focus there, so a player with the mouse sees the pictures as drawn.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent);
    void setPicture(const QPixmap &picture);
    void setStretch(bool stretch);
    void setHint(const QString &hint); // once, as the layout is made
    QString hint() const { return m_hint ? m_hint->text() : QString(); }
    // The keys that do what a click does, as the window that answers them
    // sets them; assistive technology reports them.
    void setKeys(const QList<QKeySequence> &keys) { m_keys = keys; }
    QList<QKeySequence> keys() const { return m_keys; }
    // Whether the player could press the button now: it is in sight, and no
    // modal box waits for an answer.
    bool canBePressed() const;
    // Gives the keyboard focus to another button, with the focus mark if
    // this one showed it (a bar that gives way to another).
    void passFocusTo(PictureBox *next) const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void coverIfOpaque();
    void focusNeighbour(int direction);
    void showFocusMark();

    QPixmap m_picture;
    QPixmap m_stretched; // the picture scaled to the control, made at its first paint
    Hint *m_hint = nullptr;
    QList<QKeySequence> m_keys;
    bool m_stretch = false;
    bool m_pressed = false;
    bool m_focusFromKeyboard = false; // the last focus came by Tab, Shift+Tab or an arrow
};

// One line of left-aligned plain text that sizes itself to the text. Its left
// and top edges stay put; its rectangle is filled with the parent's colour.
class TextLabel : public QWidget
{
    Q_OBJECT
public:
    TextLabel(QWidget *parent, const LabelFont &font);

    // Assistive technology hears of a new text at once, or only when the
    // label is told to announce it (the race clock speaks up once a second).
    enum class Announcement { Now, Deferred };
    void setText(const QString &text, Announcement announcement = Announcement::Now);
    QString text() const { return m_text; }
    // Tells assistive technology the text, unless it has heard it already.
    void announce();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QString m_announcedText;
    QColor m_textColour;
};

// A flat rectangle in one colour: no bevel, no border, no text.
class FlatPanel : public QWidget
{
    Q_OBJECT
public:
    FlatPanel(QWidget *parent, BgrColour colour);

signals:
    void mouseMoved();
    void pointerLeft();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

// The one-pixel outline of a sunken box: shadow at the top and left,
// highlight at the bottom and right, the inside left alone. Two pixels high
// it shows as an etched line.
class SunkenBox : public QWidget
{
    Q_OBJECT
public:
    explicit SunkenBox(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Whether the game's windows take the player's input: not while a modal box
// (the name dialog, an error box) waits for an answer.
bool gameWindowsTakeInput();

// Escape, Return or Enter: the keys that answer a window of the game as its
// OK does.
bool isOkKey(int key);

// Sets a window's or panel's own colour, the one its labels fill with.
void setColour(QWidget *widget, BgrColour colour);
