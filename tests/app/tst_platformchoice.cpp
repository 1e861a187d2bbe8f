#include "app/desktopscales.h"
#include "app/platformchoice.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// Which window system the game asks Qt for, and when it asks the X server.
class TestPlatformChoice : public QObject
{
    Q_OBJECT
private slots:
    // A display's answer in the tables: "yes", "no" (nothing there) or
    // "silent" (took the connection, said nothing).
    static DisplayAnswer answerOf(const QString &answer)
    {
        return answer == "yes" ? DisplayAnswer::Answers : answer == "silent" ? DisplayAnswer::Silent : DisplayAnswer::Absent;
    }

    void choice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("qpaPlatform"); // "-" for not set
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<QString>("x");       // how the X server answers
        QTest::addColumn<QString>("wayland"); // how the compositor answers, on WAYLAND_DISPLAY or wayland-0
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("asked");   // "x", "wayland", both or neither
        QTest::addColumn<QString>("silent");  // what the game names instead of starting
        const QStringList none{"milta100m"};
        QTest::newRow("X server answers") << none << "-" << ":0" << "wayland-0" << "yes" << "yes" << "xcb" << "x" << "";
        QTest::newRow("X server absent: Wayland") << none << "-" << ":0" << "wayland-0" << "no" << "yes" << "wayland"
                                                  << "x wayland" << "";
        QTest::newRow("X server silent: Wayland") << none << "-" << ":0" << "wayland-0" << "silent" << "yes"
                                                  << "wayland" << "x wayland" << "";
        QTest::newRow("no DISPLAY: Wayland, X not asked") << none << "-" << "-" << "wayland-0" << "yes" << "yes"
                                                          << "wayland" << "wayland" << "";
        QTest::newRow("empty DISPLAY is none") << none << "-" << "" << "wayland-0" << "yes" << "yes" << "wayland"
                                               << "wayland" << "";
        QTest::newRow("neither: left to Qt") << none << "-" << "-" << "-" << "no" << "no" << "" << "wayland" << "";
        QTest::newRow("X absent, no Wayland: left to Qt") << none << "-" << ":5" << "" << "no" << "no" << ""
                                                          << "x wayland" << "";
        // Qt would wait for ever on a display that never answers.
        QTest::newRow("X silent, no Wayland") << none << "-" << ":5" << "" << "silent" << "no" << "" << "x"
                                              << "the X server on DISPLAY=:5";
        QTest::newRow("Wayland silent, no X") << none << "-" << "-" << "wayland-0" << "no" << "silent" << "" << "wayland"
                                              << "the Wayland compositor on WAYLAND_DISPLAY=wayland-0";
        QTest::newRow("wayland-0 silent, where Qt would look") << none << "-" << "-" << "-" << "no" << "silent" << ""
                                                               << "wayland"
                                                               << "the Wayland compositor on wayland-0 (WAYLAND_DISPLAY is not set)";
        // The player's choice, its displays asked as Qt would come to them.
        QTest::newRow("player's variable wins") << none << "wayland" << ":0" << "wayland-0" << "yes" << "yes" << ""
                                                << "wayland" << "";
        QTest::newRow("empty variable is no choice") << none << "" << ":0" << "-" << "yes" << "yes" << "xcb" << "x"
                                                     << "";
        QTest::newRow("player's -platform wins") << QStringList{"milta100m", "-platform", "wayland"} << "-" << ":0"
                                                 << "wayland-0" << "yes" << "yes" << "" << "wayland" << "";
        QTest::newRow("--platform as Qt reads it") << QStringList{"milta100m", "--platform", "offscreen"} << "-"
                                                   << ":0" << "-" << "yes" << "yes" << "" << "" << "";
        QTest::newRow("-platform without a name is no choice")
            << QStringList{"milta100m", "-platform"} << "-" << ":0" << "-" << "yes" << "yes" << "xcb" << "x" << "";
        QTest::newRow("player's list, Wayland absent: Qt takes X") << none << "wayland;xcb" << ":0" << "-" << "yes"
                                                                  << "no" << "" << "wayland x" << "";
        QTest::newRow("player's list, Wayland silent") << none << "wayland;xcb" << ":0" << "wl" << "yes" << "silent"
                                                       << "" << "wayland" << "the Wayland compositor on WAYLAND_DISPLAY=wl";
        QTest::newRow("player's list, Wayland answers: X not asked") << none << "wayland-egl;xcb:foo" << ":93" << "wl"
                                                                    << "silent" << "yes" << "" << "wayland" << "";
        QTest::newRow("player's list, X silent after Wayland absent") << none << "wayland;xcb:foo" << ":93" << "wl"
                                                                     << "silent" << "no" << "" << "wayland x"
                                                                     << "the X server on DISPLAY=:93";
        // Read as Qt reads them, so that the display asked is the one Qt would open.
        QTest::newRow("plugin names in capitals") << none << "XCB" << ":93" << "-" << "silent" << "no" << "" << "x"
                                                  << "the X server on DISPLAY=:93";
        QTest::newRow("empty parts and arguments skipped") << none << ";:Wayland-EGL:foo;" << ":0" << "wl" << "yes"
                                                           << "silent" << "" << "wayland"
                                                           << "the Wayland compositor on WAYLAND_DISPLAY=wl";
        QTest::newRow("a plugin Qt cannot load passes on") << none << "nosuch;xcb" << ":93" << "-" << "silent" << "no"
                                                           << "" << "x" << "the X server on DISPLAY=:93";
        QTest::newRow("a plugin that needs no display ends the list") << none << "Offscreen;xcb" << ":93" << "-"
                                                                      << "silent" << "no" << "" << "" << "";
        QTest::newRow("the last -platform counts")
            << QStringList{"milta100m", "-platform", "wayland", "--platform", "xcb"} << "-" << ":93" << "wl"
            << "silent" << "yes" << "" << "x" << "the X server on DISPLAY=:93";
    }
    void choice()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, qpaPlatform);
        QFETCH(QString, display);
        QFETCH(QString, waylandDisplay);
        QFETCH(QString, x);
        QFETCH(QString, wayland);
        QFETCH(QString, platform);
        QFETCH(QString, asked);
        QFETCH(QString, silent);
        std::vector<std::string> argumentList;
        for (const QString &argument : arguments)
            argumentList.push_back(argument.toStdString());
        const auto variable = [](const QString &value) -> std::optional<std::string> {
            return value == "-" ? std::nullopt : std::optional(value.toStdString());
        };
        const std::optional<std::string> qpa = variable(qpaPlatform), xDisplay = variable(display),
                                         waylandVariable = variable(waylandDisplay);
        QStringList askedOf;
        const PlatformChoice choice = choosePlatform(
            argumentList, qpa ? qpa->c_str() : nullptr, xDisplay ? xDisplay->c_str() : nullptr,
            waylandVariable ? waylandVariable->c_str() : nullptr,
            [&](const char *) {
                askedOf << "x";
                return answerOf(x);
            },
            [&](const char *) {
                askedOf << "wayland";
                return answerOf(wayland);
            },
            [](const char *) { return DesktopScales{}; });
        QCOMPARE(QString::fromStdString(choice.platform), platform);
        QCOMPARE(askedOf.join(' '), asked);
        QCOMPARE(QString::fromStdString(choice.silent), silent);
        QVERIFY(!choice.reason.empty());
    }

    // Where both an X server and a Wayland compositor answer, the scale the
    // compositor draws at and the one X programs are told to draw at.
    void scaledDesktop_data()
    {
        QTest::addColumn<double>("compositor");
        QTest::addColumn<double>("xPrograms");
        QTest::addColumn<QString>("platform");
        // KWin at scale 2 scales X windows up unless X programs draw at 2 themselves.
        QTest::newRow("KWin at 2, scaled by the system: native") << 2.0 << 1.0 << "wayland;xcb";
        QTest::newRow("KWin at 2, X programs scale themselves") << 2.0 << 2.0 << "xcb";
        QTest::newRow("GNOME at 2, Xft.dpi 192: X") << 2.0 << 2.0 << "xcb";
        QTest::newRow("1.5 rounded up by the compositor, Xft.dpi 144: native") << 2.0 << 1.5 << "wayland;xcb";
        QTest::newRow("scale 1: X") << 1.0 << 1.0 << "xcb";
        QTest::newRow("Xft.dpi above the compositor's scale: X") << 1.0 << 2.0 << "xcb";
    }
    void scaledDesktop()
    {
        QFETCH(double, compositor);
        QFETCH(double, xPrograms);
        QFETCH(QString, platform);
        const PlatformChoice choice = choosePlatform(
            {"milta100m"}, nullptr, ":0", "wayland-0", [](const char *) { return DisplayAnswer::Answers; },
            [](const char *) { return DisplayAnswer::Answers; },
            [&](const char *) { return DesktopScales{compositor, xPrograms}; });
        QCOMPARE(QString::fromStdString(choice.platform), platform);
    }

    // GNOME Shell frames X windows only: the game stays on XWayland there,
    // whatever the scales; without an X server it still runs natively.
    void gnome_data()
    {
        QTest::addColumn<QString>("currentDesktop");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::newRow("GNOME at 2, no Xft.dpi: X") << "GNOME" << ":0" << "xcb";
        QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << ":0" << "xcb";
        QTest::newRow("GNOME without X: native") << "GNOME" << "-" << "wayland";
        QTest::newRow("KDE at 2, no Xft.dpi: native") << "KDE" << ":0" << "wayland;xcb";
    }
    void gnome()
    {
        QFETCH(QString, currentDesktop);
        QFETCH(QString, display);
        QFETCH(QString, platform);
        const std::string desktop = currentDesktop.toStdString(), x = display.toStdString();
        const PlatformChoice choice = choosePlatform(
            {"milta100m"}, nullptr, x == "-" ? nullptr : x.c_str(), "wayland-0",
            [](const char *) { return DisplayAnswer::Answers; }, [](const char *) { return DisplayAnswer::Answers; },
            [](const char *) { return DesktopScales{2, 1}; }, desktop.c_str());
        QCOMPARE(QString::fromStdString(choice.platform), platform);
    }

    // The scales are asked for only where the game would take X11 and a
    // compositor is there to take it natively.
    void scalesAskedOnlyWithBoth_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<bool>("xAnswers");
        QTest::addColumn<bool>("scalesAsked");
        QTest::newRow("both") << ":0" << "wayland-0" << true << true;
        QTest::newRow("X alone") << ":0" << "" << true << false;
        QTest::newRow("X silent") << ":0" << "wayland-0" << false << false;
        QTest::newRow("Wayland alone") << "" << "wayland-0" << false << false;
    }
    void scalesAskedOnlyWithBoth()
    {
        QFETCH(QString, display);
        QFETCH(QString, waylandDisplay);
        QFETCH(bool, xAnswers);
        QFETCH(bool, scalesAsked);
        bool asked = false;
        const QByteArray x = display.toUtf8(), wayland = waylandDisplay.toUtf8();
        choosePlatform({"milta100m"}, nullptr, x.constData(), wayland.constData(),
                       [&](const char *) { return xAnswers ? DisplayAnswer::Answers : DisplayAnswer::Silent; },
                       [](const char *) { return DisplayAnswer::Answers; },
                       [&](const char *) {
            asked = true;
            return DesktopScales{2, 1};
        });
        QCOMPARE(asked, scalesAsked);
    }

    void xftDpi_data()
    {
        QTest::addColumn<QString>("resources");
        QTest::addColumn<double>("dpi");
        QTest::newRow("GNOME's settings daemon") << "Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n" << 192.0;
        QTest::newRow("first line, no line break") << "Xft.dpi:\t144" << 144.0;
        QTest::newRow("spaces") << "Xft.dpi:   120\n" << 120.0;
        QTest::newRow("none set") << "Xcursor.size:\t24\n" << 0.0;
        QTest::newRow("no resources") << "" << 0.0;
        QTest::newRow("another resource ending alike") << "Foo.Xft.dpi:\t192\n" << 0.0;
        QTest::newRow("not a number") << "Xft.dpi:\tlarge\n" << 0.0;
    }
    void xftDpi()
    {
        QFETCH(QString, resources);
        QFETCH(double, dpi);
        QCOMPARE(::xftDpi(resources.toStdString()), dpi);
    }

    // The X server is asked on the display Qt would open.
    void displayOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display"); // "-" for not set
        QTest::addColumn<QString>("askedOn");
        QTest::newRow("-display wins over DISPLAY") << QStringList{"milta100m", "-display", ":7"} << ":0" << ":7";
        QTest::newRow("--display as Qt reads it") << QStringList{"milta100m", "--display", ":7"} << ":0" << ":7";
        QTest::newRow("-display without DISPLAY") << QStringList{"milta100m", "-display", "host:1"} << "-"
                                                  << "host:1";
        QTest::newRow("-display without a name is none") << QStringList{"milta100m", "-display"} << ":0" << ":0";
        QTest::newRow("the last -display counts") << QStringList{"milta100m", "-display", ":7", "--display", ":8"}
                                                  << ":0" << ":8";
        QTest::newRow("an empty -display is DISPLAY") << QStringList{"milta100m", "-display", ""} << ":0" << ":0";
    }
    void displayOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(QString, askedOn);
        std::vector<std::string> argumentList;
        for (const QString &argument : arguments)
            argumentList.push_back(argument.toStdString());
        const std::string displayVariable = display.toStdString();
        QString asked, scalesAskedOn;
        const PlatformChoice choice =
            choosePlatform(argumentList, nullptr, display == "-" ? nullptr : displayVariable.c_str(), "wayland-0",
                           [&](const char *name) {
                               asked = QString::fromLocal8Bit(name);
                               return DisplayAnswer::Answers;
                           },
                           [](const char *) { return DisplayAnswer::Answers; },
                           [&](const char *name) {
                               scalesAskedOn = QString::fromLocal8Bit(name);
                               return DesktopScales{};
                           });
        QCOMPARE(asked, askedOn);
        QCOMPARE(scalesAskedOn, askedOn);
        QCOMPARE(QString::fromStdString(choice.platform), QString("xcb"));
    }

    // An X server that hangs: it takes the connection and never answers.
    void silentXServer()
    {
        // Display N's local socket, in the abstract namespace where xcb looks
        // first: nothing in the file system, and no network connection for the
        // audio audit to mistake for a sound server.
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        int display = 900;
        socklen_t length = 0;
        for (; display < 1000; ++display) {
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(display);
            std::copy(path.begin(), path.end(), address.sun_path + 1);
            length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + path.size());
            if (bind(listener, reinterpret_cast<const sockaddr *>(&address), length) == 0)
                break;
        }
        QVERIFY2(display < 1000, "no free socket for a display");
        QVERIFY(listen(listener, 1) == 0);
        fcntl(listener, F_SETFL, O_NONBLOCK);
        const std::string name = ":" + std::to_string(display);
        QCOMPARE(probeXServer(name.c_str(), std::chrono::milliseconds(300)), DisplayAnswer::Silent);
        // The probe did connect: it gave up on the silence, not on a refusal.
        const int connection = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
        QVERIFY(connection >= 0);
        close(connection);
        close(listener);
    }

    // Compositors that would hold a connection for ever: one whose listen
    // backlog is full (connect() itself waits), one that takes the
    // connection and never answers; and a socket nobody listens on any more.
    void silentWaylandCompositor_data()
    {
        QTest::addColumn<QString>("socket");
        QTest::addColumn<DisplayAnswer>("answer");
        QTest::newRow("listen backlog full") << "full" << DisplayAnswer::Silent;
        QTest::newRow("never answers") << "quiet" << DisplayAnswer::Silent;
        QTest::newRow("nobody listens") << "closed" << DisplayAnswer::Absent;
    }
    void silentWaylandCompositor()
    {
        QFETCH(QString, socket);
        QFETCH(DisplayAnswer, answer);
        QTemporaryDir dir;
        const std::string path = QFile::encodeName(dir.filePath("wayland-test")).toStdString();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy(path.begin(), path.end(), address.sun_path);
        std::vector<int> sockets;
        const auto unixSocket = [&] {
            sockets.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
            return sockets.back();
        };
        const int listener = unixSocket();
        QVERIFY(bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(listen(listener, 0) == 0);
        // Pending connections that nobody accepts fill the backlog.
        while (socket == "full"
               && ::connect(unixSocket(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        }
        if (socket == "closed")
            close(std::exchange(sockets.front(), -1));
        QCOMPARE(probeWaylandCompositor(path.c_str(), std::chrono::milliseconds(300)), answer);
        for (const int fd : sockets)
            if (fd >= 0)
                close(fd);
    }
};

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
