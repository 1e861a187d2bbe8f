#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

// Waits for the next modal dialog of the given kind, hands it to `drive`, and
// closes it if `drive` left it open, so that a failed check inside `drive`
// cannot leave the test waiting for ever.
template <class Dialog>
void whenModalOpens(std::function<void(Dialog *)> drive)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, drive] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}
