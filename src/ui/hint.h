#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QLabel;
class QWidget;

// A control's hint as the player meets it. It shows just below the pointer
// once the pointer has rested on the control for 500 ms, and goes after
// 2500 ms, or at once when the pointer leaves the control or a mouse button
// or a key is pressed. After a press it comes back when the pointer moves on
// the control and rests again; after its time has run out, only once the
// pointer has left the control and come back. Moving straight from a control
// whose hint is showing onto another control with a hint shows that one at
// once. Hints show on windows that are not active as on the active one.
//
// The control tells its hint where the pointer goes; the hint keeps its own
// time (Qt's tooltips keep other rules).
class Hint : public QObject
{
    Q_OBJECT
public:
    Hint(QWidget *control, const QString &text);
    QString text() const { return m_text; }

    void pointerEntered(QPoint globalPos);
    void pointerMoved(QPoint globalPos);
    // Also when the control hides under the pointer.
    void pointerLeft();

protected:
    // Key and mouse button presses anywhere, while the pointer is on the control.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class State {
        Away,      // the pointer is elsewhere
        Waiting,   // for the pointer to rest
        Shown,
        Dismissed, // by a press, until the pointer moves
        Expired,   // until the pointer leaves
    };

    void wait();
    void show();
    void expire();
    void hide();

    QWidget *m_control;
    QString m_text;
    State m_state = State::Away;
    QPoint m_pointer;
    QTimer m_wakeUp;
    QTimer m_expiry;
    QPointer<QLabel> m_label; // made when first shown
};
