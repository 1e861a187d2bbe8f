#include "app/platformchoice.h"

#include <QTest>

// Which window system the game asks Qt for, and when it asks the X server.
class TestPlatformChoice : public QObject
{
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("qpaPlatform"); // "-" for not set
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<bool>("xAnswers");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("xAsked");
        const QStringList none{"milta100m"};
        QTest::newRow("X server answers") << none << "-" << ":0" << "wayland-0" << true << "xcb" << true;
        QTest::newRow("X server silent: Wayland") << none << "-" << ":0" << "wayland-0" << false << "wayland" << true;
        QTest::newRow("no DISPLAY: Wayland, X not asked") << none << "-" << "-" << "wayland-0" << true << "wayland"
                                                          << false;
        QTest::newRow("empty DISPLAY is none") << none << "-" << "" << "wayland-0" << true << "wayland" << false;
        QTest::newRow("neither: left to Qt") << none << "-" << "-" << "-" << false << "" << false;
        QTest::newRow("X silent, no Wayland: left to Qt") << none << "-" << ":5" << "" << false << "" << true;
        QTest::newRow("player's variable wins") << none << "wayland" << ":0" << "wayland-0" << true << "" << false;
        QTest::newRow("empty variable is no choice") << none << "" << ":0" << "-" << true << "xcb" << true;
        QTest::newRow("player's -platform wins") << QStringList{"milta100m", "-platform", "wayland"} << "-" << ":0"
                                                 << "wayland-0" << true << "" << false;
        QTest::newRow("--platform as Qt reads it") << QStringList{"milta100m", "--platform", "offscreen"} << "-"
                                                   << ":0" << "-" << true << "" << false;
        QTest::newRow("-platform without a name is no choice")
            << QStringList{"milta100m", "-platform"} << "-" << ":0" << "-" << true << "xcb" << true;
    }
    void choice()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, qpaPlatform);
        QFETCH(QString, display);
        QFETCH(QString, waylandDisplay);
        QFETCH(bool, xAnswers);
        QFETCH(QString, platform);
        QFETCH(bool, xAsked);
        std::vector<std::string> argumentList;
        for (const QString &argument : arguments)
            argumentList.push_back(argument.toStdString());
        const auto variable = [](const QString &value) -> std::optional<std::string> {
            return value == "-" ? std::nullopt : std::optional(value.toStdString());
        };
        const std::optional<std::string> qpa = variable(qpaPlatform), x = variable(display),
                                         wayland = variable(waylandDisplay);
        bool asked = false;
        const PlatformChoice choice =
            choosePlatform(argumentList, qpa ? qpa->c_str() : nullptr, x ? x->c_str() : nullptr,
                           wayland ? wayland->c_str() : nullptr, [&] {
                               asked = true;
                               return xAnswers;
                           });
        QCOMPARE(QString::fromStdString(choice.platform), platform);
        QCOMPARE(asked, xAsked);
        QVERIFY(!choice.reason.empty());
    }
};

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
