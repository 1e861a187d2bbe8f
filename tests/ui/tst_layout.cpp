#include "racescreen.h"
#include "ranking/insertion.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// The figures the end-to-end scripts read from tests/e2e/gamefacts.sh.
QHash<QString, QString> endToEndFacts()
{
    QHash<QString, QString> facts;
    QFile file(QStringLiteral(MILTA_E2E_FACTS));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return facts;
    static const QRegularExpression assignment(QStringLiteral("^([A-Z_]+)=(\\S+)"));
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (const QRegularExpressionMatch match = assignment.match(line); match.hasMatch())
            facts.insert(match.captured(1), match.captured(2));
    }
    return facts;
}

QRect geometryFact(const QString &fact) // WxH+X+Y
{
    const QStringList numbers = fact.split(QRegularExpression(QStringLiteral("[x+]")));
    return numbers.size() == 4 ? QRect(numbers[2].toInt(), numbers[3].toInt(), numbers[0].toInt(), numbers[1].toInt())
                               : QRect();
}

} // namespace

// What the player sees: the race screen drawn from its layout table.
class TestLayout : public QObject, RaceScreenFixture
{
    Q_OBJECT

    QString pixel(const QImage &image, int x, int y) { return QColor(image.pixel(x, y)).name(); }
    QImage screen() { return window->grab().toImage(); }

private slots:
    void init() { openRaceScreen(); }
    void cleanup() { closeRaceScreen(); }

    void raceScreen()
    {
        QCOMPARE(window->windowTitle(), QString("ミルタ100ｍ走"));
        QCOMPARE(window->size(), QSize(599, 315));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(screen().size(), QSize(599, 315));
    }

    void colours_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("colour");
        QTest::newRow("toolbar left") << QPoint(0, 0) << "#ff8080";
        QTest::newRow("toolbar right edge") << QPoint(598, 56) << "#ff8080";
        QTest::newRow("toolbar between buttons") << QPoint(88, 28) << "#ff8080";
        QTest::newRow("button border") << QPoint(32, 8) << "#0000ff";
        QTest::newRow("sky under the toolbar") << QPoint(300, 57) << "#00ffff";
        QTest::newRow("sky") << QPoint(450, 110) << "#00ffff";
        QTest::newRow("track above the band") << QPoint(300, 222) << "#00ffff";
        QTest::newRow("band top") << QPoint(300, 223) << "#ff8040";
        QTest::newRow("band right edge") << QPoint(598, 232) << "#ff8040";
        QTest::newRow("ground") << QPoint(300, 233) << "#ff8000";
        QTest::newRow("ground corner") << QPoint(598, 314) << "#ff8000";
        QTest::newRow("red pad left") << QPoint(48, 281) << "#ff0000";
        QTest::newRow("red pad last column") << QPoint(127, 305) << "#ff0000";
        QTest::newRow("x 128 is the blue pad's") << QPoint(128, 281) << "#0000ff";
        QTest::newRow("blue pad right") << QPoint(208, 305) << "#0000ff";
        QTest::newRow("left of the red pad") << QPoint(47, 290) << "#ff8000";
        QTest::newRow("right of the blue pad") << QPoint(209, 290) << "#ff8000";
        QTest::newRow("above the pads") << QPoint(100, 280) << "#ff8000";
        QTest::newRow("below the pads") << QPoint(100, 306) << "#ff8000";
        QTest::newRow("runner's last column shows the track") << QPoint(94, 130) << "#00ffff";
        QTest::newRow("goal place before the finish") << QPoint(540, 150) << "#00ffff";
    }
    void colours()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, colour);
        QCOMPARE(pixel(screen(), at.x(), at.y()), colour);
    }

    void onlyRunnerZeroStandsAtTheStart()
    {
        const QImage image = screen();
        const QImage frameA = artwork("runner0_a").toImage();
        for (int y = 0; y < frameA.height(); ++y)
            for (int x = 0; x < frameA.width(); ++x)
                QCOMPARE(image.pixel(StartLeft + x, window->stanceFrame(0)->y() + y), frameA.pixel(x, y));
    }

    void clockAndGoalMarkerAreDrawn()
    {
        const QImage image = screen();
        int red = 0, dark = 0;
        for (int y = 72; y < 96; ++y)
            for (int x = 472; x < 560; ++x)
                red += pixel(image, x, y) == "#ff0000";
        for (int y = 233; y < 260; ++y)
            for (int x = GoalLeft; x < 590; ++x)
                dark += qGray(image.pixel(x, y)) < 64;
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
        // The clock label fills its rectangle with the sky's colour.
        QCOMPARE(pixel(image, window->clockLabel()->geometry().right(), 73), QString("#00ffff"));
        QCOMPARE(window->clockLabel()->pos(), QPoint(472, 72));
        QCOMPARE(window->clockLabel()->height(), 24);
    }

    void selectionBarCoversTheToolbar()
    {
        const QImage toolbar = screen().copy(0, 0, 599, 57);
        window->onRunnerButtonClicked();
        const QImage bar = screen().copy(0, 0, 599, 57);
        QVERIFY(bar != toolbar);
        // The portraits' borders are red where the toolbar's buttons are blue.
        QCOMPARE(pixel(bar, 32, 8), QString("#ff0000"));
        QCOMPARE(pixel(bar, 392, 8), QString("#ff0000"));
        // Portraits are a pixel smaller than their place: the bar shows there.
        QCOMPARE(pixel(bar, 72, 48), QString("#ff8080"));
        window->onBackClicked();
        QCOMPARE(screen().copy(0, 0, 599, 57), toolbar);
    }

    void aMovingSpriteLeavesNoTrace()
    {
        strides(10);
        // The runner is 60 pixels on; where he stood only the track remains.
        const QImage after = screen();
        for (int y = 128; y < 223; ++y)
            for (int x = 0; x < 84; ++x)
                QCOMPARE(pixel(after, x, y), QString("#00ffff"));
    }

    void goalPoseAtTheFinish()
    {
        runToTheFinish();
        const QImage image = screen();
        const QImage pose = artwork("runner0_goal").toImage();
        for (int y = 0; y < pose.height(); ++y)
            QCOMPARE(image.pixel(GoalLeft + 35, 128 + y), pose.pixel(35, y));
    }

    // The end-to-end scripts press what the game has at their points.
    void endToEndPointsHitTheirControls_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<QString>("control");
        QTest::newRow("red pad") << "RED_X" << "PAD_Y" << "Panel1";
        QTest::newRow("blue pad") << "BLUE_X" << "PAD_Y" << "Panel2";
        QTest::newRow("runner button") << "RUNNER_X" << "BUTTON_Y" << "Image19";
        QTest::newRow("retry button") << "RETRY_X" << "BUTTON_Y" << "Image27";
        QTest::newRow("ranking button") << "RANKING_X" << "BUTTON_Y" << "Image28";
        QTest::newRow("help button") << "HELP_X" << "BUTTON_Y" << "Image29";
        QTest::newRow("version button") << "VERSION_X" << "BUTTON_Y" << "Image30";
        QTest::newRow("exit button") << "EXIT_X" << "BUTTON_Y" << "Image26";
        QTest::newRow("bare toolbar") << "GAP_X" << "BUTTON_Y" << "Panel4";
        QTest::newRow("ranking window's OK") << "RANKING_OK_X" << "RANKING_OK_Y" << "Image1";
    }
    void endToEndPointsHitTheirControls()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(QString, control);
        const QHash<QString, QString> facts = endToEndFacts();
        QVERIFY2(facts.contains(x) && facts.contains(y), qPrintable(x + " or " + y + " missing"));
        RankingWindow ranking(window.get());
        QWidget *target = x.startsWith("RANKING_OK") ? static_cast<QWidget *>(&ranking) : window.get();
        const QWidget *hit = target->childAt(facts[x].toInt(), facts[y].toInt());
        QVERIFY(hit);
        QCOMPARE(hit->objectName(), control);
    }

    void endToEndFiguresAreTheGames()
    {
        const QHash<QString, QString> facts = endToEndFacts();
        QCOMPARE(QSize(facts["CLIENT_W"].toInt(), facts["CLIENT_H"].toInt()), window->size());
        const QRect pads = window->redPad()->geometry().united(window->bluePad()->geometry());
        QCOMPARE(geometryFact(facts["PADS_GEOMETRY"]), pads.translated(window->redPad()->parentWidget()->pos()));
        const QRect clock = geometryFact(facts["CLOCK_GEOMETRY"]);
        QCOMPARE(clock.topLeft(), window->clockLabel()->pos());
        QCOMPARE(clock.height(), window->clockLabel()->height());
        QVERIFY(clock.right() < window->width());
        QCOMPARE(facts["RANKING_PLACES"].toInt(), RankingPlaces);
        QCOMPARE(facts["SECONDS_LINE"].toInt(), SecondsColumn);
        QCOMPARE(facts["TENTHS_LINE"].toInt(), TenthsColumn);
        QCOMPARE(facts["NAME_LINE"].toInt(), NameColumn);
        QCOMPARE(facts["TIME_LINE"].toInt(), TimeColumn);
        QCOMPARE(facts["RANKING_LINES"].toInt(), builtInRankingLines().lineCount());
    }

    void rankingWindow()
    {
        RankingWindow ranking(window.get());
        QCOMPARE(ranking.windowTitle(), QString("ランキング"));
        QCOMPARE(ranking.size(), QSize(386, 408));
        QCOMPARE(ranking.pos(), QPoint(331, 164));
        QVERIFY(!ranking.testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(!(ranking.windowFlags() & Qt::WindowMinimizeButtonHint));
        const QImage image = ranking.grab().toImage();
        QCOMPARE(pixel(image, 5, 5), QString("#000000"));
        for (int k = 0; k < RankingPlaces; ++k) {
            QCOMPARE(ranking.nameLabel(k)->pos(), QPoint(88, 48 + 32 * k));
            QCOMPARE(ranking.timeLabel(k)->pos(), QPoint(280, 48 + 32 * k));
        }
        // Each row is framed by a sunken box: dark top, light bottom.
        QVERIFY(qGray(image.pixel(100, 41)) < qGray(image.pixel(100, 64)));
        QCOMPARE(pixel(image, 100, 52), QString("#000000"));
        QCOMPARE(ranking.okButton()->hint(), QString("OK"));
        QCOMPARE(pixel(image, 328, 360), QString("#0000ff"));
    }

    void versionWindow()
    {
        VersionWindow version(window.get());
        QCOMPARE(version.windowTitle(), QString("Ver情報"));
        QCOMPARE(version.size(), QSize(308, 252));
        QCOMPARE(version.pos(), QPoint(368, 241));
        QCOMPARE(version.okButton()->hint(), QString("OK"));
        const QImage image = version.grab().toImage();
        QCOMPARE(pixel(image, 5, 5), QString("#000000"));
        QCOMPARE(pixel(image, 251, 203), QString("#0000ff"));
        // The etched line between the version and the credits.
        QVERIFY(qGray(image.pixel(100, 112)) < qGray(image.pixel(100, 113)));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
