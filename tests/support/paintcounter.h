#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>

// Counts the paint events and the pixels they cover, window and children,
// while installed as the application's event filter.
class PaintCounter : public QObject
{
public:
    long events = 0;
    long pixels = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++events;
            for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                pixels += long(r.width()) * r.height();
        }
        return false;
    }
};
