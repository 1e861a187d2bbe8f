// Checks the built-in pictures: each exactly its XPM drawing, sizes,
// palettes, the shared sky and ground band of the track, sprites and clouds,
// the button and portrait borders and the icon's see-through ring.
#include "race/race.h"
#include "ui/art/artwork.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QtTest>

namespace {

constexpr QRgb kSky = 0xFF00FFFF;
constexpr QRgb kBand = 0xFFFF8040;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr int kBandTop = 95;
constexpr int kSpriteW = 70;
constexpr int kSpriteH = 105;

enum Depth { EightBit, FourBit };

QImage load(const QString &name)
{
    return bakedPicture(name.toStdString()).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool inSharedPalette(QRgb c)
{
    static const QSet<int> rg{0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xFF};
    static const QSet<int> b{0x00, 0x40, 0x80, 0xFF};
    return rg.contains(qRed(c)) && rg.contains(qGreen(c)) && b.contains(qBlue(c));
}

bool inSixteenColours(QRgb c)
{
    static const QSet<QRgb> colours{0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                    0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                    0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
    return colours.contains(c);
}

QRgb groundAt(int y) { return y < kBandTop ? kSky : kBand; }

QStringList sprites()
{
    QStringList names;
    for (int r = 0; r < RunnerCount; ++r)
        for (const char *pose : {"a", "b", "goal"})
            names << QStringLiteral("runner%1_%2").arg(r).arg(QLatin1String(pose));
    return names;
}

const QStringList kButtons{"button_runner", "button_retry", "button_ranking", "button_help",
                           "button_version", "button_exit", "button_back", "button_ok"};

// A pixel of a sprite that is not the sky or band colour of its row.
bool isFigure(const QImage &img, int x, int y) { return img.pixel(x, y) != groundAt(y); }

void checkRing(const QImage &img, int from, int to, QRgb colour)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int d = std::min({x, y, img.width() - 1 - x, img.height() - 1 - y});
            if (d >= from && d <= to && img.pixel(x, y) != colour)
                QFAIL(qPrintable(QStringLiteral("pixel (%1,%2) is #%3, not the border colour")
                                     .arg(x).arg(y).arg(img.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
        }
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void bakedAsDrawn_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList drawings = QDir(QStringLiteral(MILTA_ART_DIR)).entryList({"*.xpm"});
        QVERIFY(!drawings.isEmpty());
        for (const QString &file : drawings)
            QTest::newRow(qPrintable(file)) << file.chopped(4);
    }

    // The program draws from pixels made at build time: every one of them
    // is what Qt reads from the picture's XPM drawing.
    void bakedAsDrawn()
    {
        QFETCH(QString, name);
        const QImage drawn =
            QImage(QStringLiteral(MILTA_ART_DIR "/%1.xpm").arg(name)).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!drawn.isNull());
        QCOMPARE(load(name), drawn);
    }

    void sizeAndPalette_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("depth");
        QTest::newRow("track") << "track" << QSize(4, 105) << int(EightBit);
        for (const QString &s : sprites())
            QTest::newRow(qPrintable(s)) << s << QSize(kSpriteW, kSpriteH) << int(EightBit);
        QTest::newRow("cloud") << "cloud" << QSize(64, 40) << int(EightBit);
        for (const QString &b : kButtons)
            QTest::newRow(qPrintable(b)) << b << QSize(41, 41) << int(FourBit);
        for (int r = 0; r < RunnerCount; ++r)
            QTest::newRow(qPrintable(QStringLiteral("portrait%1").arg(r)))
                << QStringLiteral("portrait%1").arg(r) << QSize(40, 40) << int(EightBit);
        QTest::newRow("icon") << "icon" << QSize(32, 32) << int(FourBit);
    }

    void sizeAndPalette()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, depth);
        const QImage img = load(name);
        QVERIFY2(!img.isNull(), qPrintable(name + " is not among the pictures"));
        QCOMPARE(img.size(), size);
        const bool icon = name == QLatin1String("icon");
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                if (icon && qAlpha(c) == 0)
                    continue; // the ring, checked on its own
                QCOMPARE(qAlpha(c), 255);
                const bool ok = depth == EightBit ? inSharedPalette(c) : inSixteenColours(c);
                if (!ok)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1,%2) #%3 is outside the palette")
                                         .arg(x).arg(y).arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
            }
    }

    void trackIsSkyOverBand()
    {
        const QImage img = load("track");
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QCOMPARE(img.pixel(x, y), groundAt(y));
    }

    void spriteStandsOnTheSharedBackground_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &s : sprites())
            QTest::newRow(qPrintable(s)) << s;
    }

    // The sprite's own background must be the track's, or a box shows around the
    // figure; the figure keeps clear of the edges and its feet reach the band.
    void spriteStandsOnTheSharedBackground()
    {
        QFETCH(QString, name);
        const QImage img = load(name);
        for (int y = 0; y < kSpriteH; ++y) {
            QVERIFY2(!isFigure(img, 0, y), qPrintable(QStringLiteral("left edge, row %1").arg(y)));
            QVERIFY2(!isFigure(img, kSpriteW - 1, y), qPrintable(QStringLiteral("right edge, row %1").arg(y)));
        }
        for (int x = 0; x < kSpriteW; ++x) {
            for (int y : {0, 1, 2})
                QVERIFY2(!isFigure(img, x, y), qPrintable(QStringLiteral("top, column %1").arg(x)));
            for (int y : {101, 102, 103, 104})
                QVERIFY2(!isFigure(img, x, y), qPrintable(QStringLiteral("bottom, column %1").arg(x)));
        }
        // The other row's colour anywhere means a misplaced band edge, which shows as a box.
        int figure = 0;
        bool feetOnBand = false;
        for (int y = 0; y < kSpriteH; ++y)
            for (int x = 0; x < kSpriteW; ++x) {
                const QRgb other = y < kBandTop ? kBand : kSky;
                QVERIFY2(img.pixel(x, y) != other, qPrintable(QStringLiteral("(%1,%2)").arg(x).arg(y)));
                if (isFigure(img, x, y)) {
                    ++figure;
                    feetOnBand = feetOnBand || y >= kBandTop;
                }
            }
        QVERIFY2(figure > 600, "the figure is too small to read");
        QVERIFY2(feetOnBand, "the feet do not reach the ground band");
    }

    void runnerPosesDiffer_data()
    {
        QTest::addColumn<int>("runner");
        for (int r = 0; r < RunnerCount; ++r)
            QTest::newRow(qPrintable(QStringLiteral("runner%1").arg(r))) << r;
    }

    void runnerPosesDiffer()
    {
        QFETCH(int, runner);
        const QString base = QStringLiteral("runner%1_").arg(runner);
        const QImage a = load(base + "a"), b = load(base + "b"), goal = load(base + "goal");
        QVERIFY(a != b);
        QVERIFY(a != goal);
        QVERIFY(b != goal);
    }

    void spriteOnTheStretchedStripShowsNoBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        for (const QString &s : sprites())
            for (int left : {StartLeft, StartLeft + 3, 263, FinishLeft, GoalLeft, 510})
                QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(s).arg(left))) << s << left;
    }

    // Drawn as the race screen draws it: the strip stretched to 633 x 105, the
    // frame opaque on top. Around the figure nothing may differ from the strip.
    void spriteOnTheStretchedStripShowsNoBox()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        const QImage sprite = load(name);
        QImage strip(599, kSpriteH, QImage::Format_ARGB32);
        {
            QPainter p(&strip);
            p.drawImage(QRect(0, 0, 633, kSpriteH), load("track"));
        }
        QImage scene = strip;
        {
            QPainter p(&scene);
            p.drawImage(left, 0, sprite);
        }
        for (int y = 0; y < kSpriteH; ++y)
            for (int x = 0; x < scene.width(); ++x) {
                const bool onFigure = x >= left && x < left + kSpriteW && isFigure(sprite, x - left, y);
                if (!onFigure && scene.pixel(x, y) != strip.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("box edge at (%1,%2)").arg(x).arg(y)));
            }
    }

    void cloudIsRaggedWhiteOnSky()
    {
        const QImage img = load("cloud");
        int white = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const bool edge = x == 0 || y == 0 || x == img.width() - 1 || y == img.height() - 1;
                if (edge)
                    QCOMPARE(img.pixel(x, y), kSky);
                white += img.pixel(x, y) == 0xFFFFFFFF;
            }
        QVERIFY2(white > img.width() * img.height() / 3, "too little cloud");
    }

    void borders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRgb>("colour");
        for (const QString &b : kButtons)
            QTest::newRow(qPrintable(b)) << b << (b == QLatin1String("button_back") ? kRed : kBlue);
        for (int r = 0; r < RunnerCount; ++r)
            QTest::newRow(qPrintable(QStringLiteral("portrait%1").arg(r)))
                << QStringLiteral("portrait%1").arg(r) << kRed;
    }

    // Exactly two pixels of border: the third ring must show the picture's own ground.
    void borders()
    {
        QFETCH(QString, name);
        QFETCH(QRgb, colour);
        const QImage img = load(name);
        checkRing(img, 0, 1, colour);
        bool inner = false;
        for (int i = 2; i < img.width() - 2 && !inner; ++i)
            inner = img.pixel(i, 2) != colour || img.pixel(2, i) != colour;
        QVERIFY2(inner, "the border is wider than two pixels");
    }

    void iconHasTransparentRing()
    {
        const QImage img = load("icon");
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool ring = x == 0 || y == 0 || x == 31 || y == 31;
                QCOMPARE(qAlpha(img.pixel(x, y)), ring ? 0 : 255);
            }
        // Inside the ring, the runner button's blue border, then its red ground.
        QImage inner = img.copy(1, 1, 30, 30);
        checkRing(inner, 0, 1, kBlue);
        QCOMPARE(inner.pixel(2, 2), kRed);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
