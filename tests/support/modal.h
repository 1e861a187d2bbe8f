#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
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

// While it lives, answers every message box that opens with OK and keeps its
// text, in order.
class MessageBoxAnswerer
{
public:
    MessageBoxAnswerer()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start();
    }

    QStringList texts;

private:
    QTimer m_timer;
};
