#include "ui/placement.h"

#include <QTest>

// Where the windows go on screens of several sizes. Frames are the ones the
// window manager of the end-to-end tests draws: 1 pixel each side and a
// 20-pixel caption bar.
class TestPlacement : public QObject
{
    Q_OBJECT

    static constexpr QRect RaceScreenHome{231, 202, 601, 336};

private slots:
    void fittedInto_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("placed");
        const QRect screen1024(0, 0, 1024, 768), screen800(0, 0, 800, 480);
        QTest::newRow("race screen at home") << RaceScreenHome << screen1024 << QPoint(231, 202);
        QTest::newRow("ranking at home") << QRect(331, 164, 388, 429) << screen1024 << QPoint(331, 164);
        QTest::newRow("race screen, 800x480") << RaceScreenHome << screen800 << QPoint(199, 144);
        QTest::newRow("ranking, 800x480") << QRect(331, 164, 388, 429) << screen800 << QPoint(331, 51);
        QTest::newRow("version, 800x480") << QRect(368, 241, 310, 273) << screen800 << QPoint(368, 207);
        QTest::newRow("exactly at the edge") << QRect(199, 144, 601, 336) << screen800 << QPoint(199, 144);
        QTest::newRow("a panel at the top and left") << QRect(10, 10, 100, 100) << QRect(48, 32, 752, 448)
                                                     << QPoint(48, 32);
        QTest::newRow("larger than the area: caption bar on it") << QRect(100, 100, 900, 500) << screen800
                                                                 << QPoint(0, 0);
        QTest::newRow("second screen to the right") << QRect(1900, 700, 601, 336) << QRect(1024, 0, 1280, 1024)
                                                    << QPoint(1703, 688);
    }
    void fittedInto()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, area);
        QFETCH(QPoint, placed);
        QCOMPARE(::fittedInto(frame, area), QRect(placed, frame.size()));
    }

    // The race screen's pads and clock, with the race screen's client area at
    // (x + 1, y + 20).
    void helpViewerFrame_data()
    {
        QTest::addColumn<QRect>("raceScreen");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("viewer");
        QTest::newRow("wide screen: to the right") << RaceScreenHome << QRect(0, 0, 1920, 1080)
                                                   << QRect(832, 202, 562, 502);
        QTest::newRow("race screen at the right edge: to the left") << QRect(1300, 202, 601, 336)
                                                                    << QRect(0, 0, 1920, 1080)
                                                                    << QRect(738, 202, 562, 502);
        QTest::newRow("1024x768: below, shorter") << RaceScreenHome << QRect(0, 0, 1024, 768)
                                                  << QRect(231, 538, 562, 230);
        QTest::newRow("1024x768 race screen moved down: above") << QRect(231, 420, 601, 336)
                                                                 << QRect(0, 0, 1024, 768)
                                                                 << QRect(231, 0, 562, 420);
        QTest::newRow("800x480: over it, above the pads, left of the clock") << QRect(199, 144, 601, 336)
                                                                            << QRect(0, 0, 800, 480)
                                                                            << QRect(110, 0, 562, 445);
        QTest::newRow("640x480: narrower, left of the clock") << QRect(39, 144, 601, 336) << QRect(0, 0, 640, 480)
                                                              << QRect(0, 0, 512, 445);
        QTest::newRow("no room beside the clock: over it") << QRect(-160, 144, 601, 336) << QRect(0, 0, 640, 480)
                                                           << QRect(0, 0, 562, 445);
        QTest::newRow("race screen in the area's bottom: above the pads") << QRect(0, 0, 601, 336)
                                                                          << QRect(0, 0, 640, 240)
                                                                          << QRect(0, 0, 473, 240);
        QTest::newRow("no room above the pads: over them") << QRect(0, -100, 601, 336) << QRect(0, 0, 640, 400)
                                                           << QRect(0, 0, 562, 400);
    }
    void helpViewerFrame()
    {
        QFETCH(QRect, raceScreen);
        QFETCH(QRect, area);
        QFETCH(QRect, viewer);
        const QPoint client = raceScreen.topLeft() + QPoint(1, 20);
        const QRect pads = QRect(48, 281, 161, 25).translated(client);
        const QRect clock = QRect(472, 72, 127, 24).translated(client);
        const QRect placed = ::helpViewerFrame(QSize(562, 502), QSize(322, 222), raceScreen, pads, clock, area);
        QCOMPARE(placed, viewer);
        QVERIFY(area.contains(placed));
    }

    // The race screen asked for at home with no frame expected (the first
    // window), framed by KWin's 37-pixel caption bar.
    void correctedFrame_data()
    {
        QTest::addColumn<QRect>("asked");
        QTest::addColumn<QRect>("framed");
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("corrected"); // null: it stays
        const QRect asked(231, 202, 599, 315), home(231, 202, 599, 352);
        const QRect screen1024(0, 0, 1024, 768), screen800(0, 0, 800, 480);
        QTest::newRow("where asked") << asked << home << home << screen1024 << QRect();
        QTest::newRow("read while the window manager still moves it: home, not the corner")
            << asked << QRect(0, -37, 599, 352) << home << screen1024 << home;
        QTest::newRow("put elsewhere on the screen: the window manager's choice")
            << asked << QRect(212, 208, 599, 352) << home << screen1024 << QRect();
        QTest::newRow("put elsewhere, off the bottom") << asked << QRect(400, 500, 599, 352) << home << screen1024
                                                       << home;
        QTest::newRow("where asked, the real frame off a small screen")
            << QRect(201, 165, 599, 315) << QRect(201, 165, 599, 352) << QRect(201, 128, 599, 352) << screen800
            << QRect(201, 128, 599, 352);
        QTest::newRow("help viewer where asked, its frame taller than expected over the pads")
            << QRect(110, 0, 562, 446) << QRect(110, 0, 562, 449) << QRect(110, 0, 562, 445) << screen800
            << QRect(110, 0, 562, 445);
        QTest::newRow("larger than the screen, where wanted") << QRect(0, 0, 900, 500) << QRect(0, 0, 900, 537)
                                                             << QRect(0, 0, 900, 537) << screen800 << QRect();
    }
    void correctedFrame()
    {
        QFETCH(QRect, asked);
        QFETCH(QRect, framed);
        QFETCH(QRect, wanted);
        QFETCH(QRect, area);
        QFETCH(QRect, corrected);
        QCOMPARE(::correctedFrame(asked, framed, wanted, area).value_or(QRect()), corrected);
    }

    // The designed places scaled reach x 830 and y 572 at scale 1.
    void wholeScaleFitting_data()
    {
        QTest::addColumn<int>("largest");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<int>("scale");
        QTest::newRow("1280x800 at 2: the ranking window would end at y 1144") << 2 << QRect(0, 0, 1280, 800) << 1;
        QTest::newRow("1920x1080 at 2") << 2 << QRect(0, 0, 1920, 1080) << 1;
        QTest::newRow("2560x1600 at 3: down to 2") << 3 << QRect(0, 0, 2560, 1600) << 2;
        QTest::newRow("just room at 2") << 2 << QRect(0, 0, 1660, 1144) << 2;
        QTest::newRow("a pixel short at 2") << 2 << QRect(0, 0, 1660, 1143) << 1;
        QTest::newRow("a tall panel at the top: clear of the places at 2 only") << 2 << QRect(0, 200, 2560, 1400)
                                                                               << 2;
        QTest::newRow("800x600 with a 44-pixel panel: no room at 1") << 1 << QRect(0, 0, 800, 556) << 0;
        QTest::newRow("no scale asked: 1") << 0 << QRect(0, 0, 1024, 768) << 1;
    }
    void wholeScaleFitting()
    {
        QFETCH(int, largest);
        QFETCH(QRect, area);
        QFETCH(int, scale);
        QCOMPARE(::wholeScaleFitting(largest, area), scale);
    }
};

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
