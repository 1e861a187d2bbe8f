#include "app/wholescale.h"

#include <QTest>

// The whole scale the game takes on X11, from Xft.dpi and the work area.
class TestWholeScale : public QObject
{
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<double>("xftDpi");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("qtScale");
        const QRect large(0, 0, 3840, 2160), laptop(0, 0, 1280, 800);
        QTest::newRow("no Xft.dpi") << 0.0 << large << 1 << 1;
        QTest::newRow("120 rounds down") << 120.0 << large << 1 << 1;
        QTest::newRow("144 rounds up") << 144.0 << large << 2 << 2;
        QTest::newRow("288") << 288.0 << large << 3 << 3;
        QTest::newRow("KDE's forced 144 on 1280x800: 1") << 144.0 << laptop << 1 << 2;
        QTest::newRow("no room even at 1") << 192.0 << QRect(0, 0, 800, 556) << 1 << 2;
    }
    void choice()
    {
        QFETCH(double, xftDpi);
        QFETCH(QRect, workArea);
        QFETCH(int, scale);
        QFETCH(int, qtScale);
        const ScaleChoice choice = chooseWholeScale({xftDpi, workArea});
        QCOMPARE(choice.scale, scale);
        QCOMPARE(choice.qtScale, qtScale);
    }
};

QTEST_MAIN(TestWholeScale)
#include "tst_wholescale.moc"
