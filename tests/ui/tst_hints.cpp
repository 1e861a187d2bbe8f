#include "ui/controls.h"

#include <QApplication>
#include <QLabel>
#include <QShortcut>
#include <QTest>
#include <QWindow>

namespace {

// The hint showing anywhere, or nothing.
QString shownHint()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowType() == Qt::ToolTip && widget->isVisible())
            return static_cast<QLabel *>(widget)->text();
    }
    return {};
}

} // namespace

// The hints' rules, played with the pointer and the keys on a strip of
// images: A and B side by side, bare panel, then C with the image D beside
// it, which has no hint.
class TestHints : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> strip;
    QPoint pointer;

    void image(const QString &hint, int left)
    {
        auto *image = new PictureBox(strip.get());
        image->setGeometry(left, 0, 40, 40);
        if (!hint.isEmpty())
            image->setHint(hint);
    }

    void movePointer(QPoint to)
    {
        pointer = to;
        QTest::mouseMove(strip->windowHandle(), to);
    }

private slots:
    void init()
    {
        strip = std::make_unique<QWidget>();
        strip->setGeometry(100, 100, 240, 60);
        image("A", 0);
        image("B", 40);
        image("C", 120);
        image("", 160);
        // A key the window answers, as the game's windows answer F2.
        new QShortcut(QKeySequence(Qt::Key_F2), strip.get(), [] {});
        strip->show();
        QVERIFY(QTest::qWaitForWindowActive(strip.get()));
        movePointer({220, 50});
    }
    void cleanup() { strip.reset(); }

    // Steps: a place to move the pointer to (A, B, C, D, bare); "nudge" moves
    // it a pixel; "rest" waits until a hint shows, "expire" until it goes;
    // "key", "answered key" (one the window takes as a shortcut) and "click" press; "linger" gives a hint time enough to come;
    // "none" checks that none shows. Then the hint showing right after the
    // last step is checked.
    void rules_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("straight onto the next image: at once") << QStringList{"A", "rest", "B"} << "B";
        QTest::newRow("bare panel removes it at once, the next one waits")
            << QStringList{"B", "rest", "bare", "none", "C"} << "";
        QTest::newRow("onto an image without a hint") << QStringList{"C", "rest", "D"} << "";
        QTest::newRow("an image without a hint arms nothing") << QStringList{"D", "linger"} << "";
        QTest::newRow("a click removes it") << QStringList{"A", "rest", "click"} << "";
        QTest::newRow("a key removes it, a move brings it back")
            << QStringList{"A", "rest", "key", "none", "linger", "none", "nudge", "rest"} << "A";
        QTest::newRow("a key the window answers removes it") << QStringList{"A", "rest", "answered key"} << "";
        QTest::newRow("run out, it stays away on the image, comes back after leaving")
            << QStringList{"A", "rest", "expire", "nudge", "linger", "none", "bare", "A", "rest"} << "A";
    }
    void rules()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        const QMap<QString, QPoint> places = {
            {"A", {20, 20}}, {"B", {60, 20}}, {"bare", {100, 20}}, {"C", {140, 20}}, {"D", {180, 20}}};
        for (const QString &step : steps) {
            if (places.contains(step))
                movePointer(places[step]);
            else if (step == "nudge")
                movePointer(pointer + QPoint(1, 1));
            else if (step == "rest")
                QTRY_VERIFY2(!shownHint().isEmpty(), "no hint came");
            else if (step == "expire")
                QTRY_VERIFY2_WITH_TIMEOUT(shownHint().isEmpty(), "the hint stayed", 5000);
            else if (step == "key")
                QTest::keyClick(strip.get(), Qt::Key_A);
            else if (step == "answered key")
                QTest::keyClick(strip.get(), Qt::Key_F2);
            else if (step == "click")
                QTest::mouseClick(strip->windowHandle(), Qt::LeftButton, {}, pointer);
            else if (step == "linger")
                QTest::qWait(800);
            else if (step == "none")
                QCOMPARE(shownHint(), QString());
        }
        QCOMPARE(shownHint(), shown);
    }

    void showsOnAWindowThatIsNotActive()
    {
        QWidget other;
        other.setGeometry(400, 100, 100, 100);
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        movePointer({20, 20});
        QTRY_COMPARE(shownHint(), QString("A"));
        QVERIFY(!strip->isActiveWindow());
    }
};

QTEST_MAIN(TestHints)
#include "tst_hints.moc"
