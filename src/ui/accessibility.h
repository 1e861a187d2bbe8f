#pragma once

#include <QWidget>

#include <array>

// How screen readers, magnifiers and switch access see the game, through
// Qt's accessibility (AT-SPI on Linux). Each window is a frame named by its
// caption; a picture with a hint is a push button named by it, whose Press
// does what a click does and which reports the keys that do the same; a
// label is static text named by its caption; a panel is a pane, named where
// the window names it (the pads). Children come in reading order.
//
// Installs the interfaces for the game's control kinds and windows. Once,
// before the first window is made.
void installAccessibleInterfaces();

// The lines of text a screen reader finds in a window, in reading order: its
// static texts, a ranking row as one line.
QStringList readableLines(QWidget *window);

// Tells assistive technology that a control's name (a label's caption)
// changed. Clients keep the names they have read, so every change is told.
void announceNameChange(QWidget *control);

// One thing the game says: a notification on a window, spoken as it is
// shown. It has no size and draws nothing.
class Utterance : public QWidget
{
    Q_OBJECT
public:
    explicit Utterance(QWidget *window);
    void say(const QString &text);
};

// What the game tells a screen-reader player that the screen shows without
// words (the finish, a saved name), spoken as it comes. A screen reader reads
// a notification's text when it comes to its event, later on a busy machine:
// each thing said has a notification of its own, a few taken in turn, so
// that two said close together are each heard.
class SpokenNotice : public QObject
{
    Q_OBJECT
public:
    explicit SpokenNotice(QWidget *window);
    void say(const QString &text);
    // What was said last, empty before anything was.
    QString lastSaid() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<Utterance *, 4> m_utterances{};
    int m_next = 0;
};
