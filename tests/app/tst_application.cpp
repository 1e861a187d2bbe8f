#include "exception.h"
#include "tapplication.h"

#include "modal.h"

#include <QMessageBox>
#include <QTest>

namespace {

class Thrower : public QObject
{
public:
    std::string message;
    int handled = 0;
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        throw EFOpenError(message);
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void titleFromTheProgramFile()
    {
        QCOMPARE(static_cast<TApplication *>(qApp)->Title, QString("Tst_application"));
    }

    void errorLeavingAHandlerIsShownAndTheLoopGoesOn()
    {
        Thrower thrower;
        thrower.message = "ファイル <b>rank.mlt</b> は開けません";
        QString caption, text;
        Qt::TextFormat format = Qt::AutoText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        Qt::WindowModality modality = Qt::NonModal;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            icon = box->icon();
            buttons = box->standardButtons();
            modality = box->windowModality();
        });
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 1);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(caption, QString("Tst_application"));
        QCOMPARE(text, QString("ファイル <b>rank.mlt</b> は開けません."));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(modality, Qt::ApplicationModal);

        // The next event is handled as usual: the program carries on.
        whenModalOpens<QMessageBox>([](QMessageBox *) {});
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 2);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void messageEndingInABracketGetsNoPeriod()
    {
        Thrower thrower;
        thrower.message = "device busy (2)";
        QString text;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) { text = box->text(); });
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(text, QString("device busy (2)"));
    }
};

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_application.moc"
