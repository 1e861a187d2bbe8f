// The song file check: what a player accepts before FluidSynth ever sees it.
#include <QtTest>

#include <QTemporaryDir>

#include "media/midifile.h"

Q_DECLARE_METATYPE(MidiFileFault)

namespace {

std::string be(std::uint32_t value, int size)
{
    std::string out;
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

std::string header(int format, int tracks, int division = 96)
{
    return "MThd" + be(6, 4) + be(format, 2) + be(tracks, 2) + be(division, 2);
}

std::string chunk(const std::string &kind, const std::string &data)
{
    return kind + be(data.size(), 4) + data;
}

const std::string endOfTrack("\x00\xFF\x2F\x00", 4);
const std::string oneNote = std::string("\x00\x90\x3C\x64\x60\x80\x3C\x00", 8) + endOfTrack;

} // namespace

class TestMidiFile : public QObject
{
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<MidiFileFault>("fault");
        auto row = [](const char *name, const std::string &bytes, MidiFileFault fault) {
            QTest::newRow(name) << QByteArray::fromStdString(bytes) << fault;
        };
        const std::string track = chunk("MTrk", oneNote);
        row("format 0", header(0, 1) + track, MidiFileFault::None);
        row("format 1, two tracks", header(1, 2) + track + track, MidiFileFault::None);
        row("unknown chunk skipped", header(1, 1) + chunk("XFIH", "abc") + track, MidiFileFault::None);
        row("junk after the last track", header(0, 1) + track + "xx", MidiFileFault::None);
        row("empty", "", MidiFileFault::Empty);
        row("text file", "Hello, this is no song\n", MidiFileFault::NotMidi);
        row("RIFF MIDI", "RIFF" + be(20, 4) + "RMID" + header(0, 1), MidiFileFault::NotMidi);
        row("header cut short", header(0, 1).substr(0, 11), MidiFileFault::BadHeader);
        row("header length 8", "MThd" + be(8, 4) + be(0, 2) + be(1, 2) + be(96, 2) + be(0, 2) + track,
            MidiFileFault::BadHeader);
        row("zero ticks per beat", header(0, 1, 0) + track, MidiFileFault::BadHeader);
        row("format 2", header(2, 1) + track, MidiFileFault::UnsupportedFormat);
        row("SMPTE timing", header(0, 1, 0xE728) + track, MidiFileFault::UnsupportedFormat);
        row("no tracks", header(1, 0), MidiFileFault::NoTracks);
        row("track runs past the end", header(0, 1) + track.substr(0, track.size() - 1), MidiFileFault::Truncated);
        row("track header cut", header(0, 1) + "MTr", MidiFileFault::Truncated);
        row("second track missing", header(1, 2) + track, MidiFileFault::Truncated);
        row("huge chunk length", header(0, 1) + "MTrk" + be(0xFFFFFFFF, 4) + oneNote, MidiFileFault::Truncated);
    }
    void check()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(MidiFileFault, fault);
        QCOMPARE(checkMidiFile(bytes.toStdString()), fault);
    }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QByteArray>("contents"); // null: no such file
        QTest::addColumn<MidiFileFault>("fault");
        const std::string song = header(0, 1) + chunk("MTrk", oneNote);
        QTest::newRow("song") << "song.mid" << false << QByteArray::fromStdString(song) << MidiFileFault::None;
        QTest::newRow("missing") << "missing.mid" << false << QByteArray() << MidiFileFault::Missing;
        QTest::newRow("empty") << "empty.mid" << false << QByteArray("") << MidiFileFault::Empty;
        QTest::newRow("a folder") << "folder.mid" << true << QByteArray() << MidiFileFault::Unreadable;
    }
    void load()
    {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(QByteArray, contents);
        QFETCH(MidiFileFault, fault);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (folder) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (!contents.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        std::string bytes = "stale";
        QCOMPARE(loadMidiFile(QFile::encodeName(path).toStdString(), bytes), fault);
        QCOMPARE(QByteArray::fromStdString(bytes), fault == MidiFileFault::None ? contents : QByteArray());
    }

    void messageNamesTheFile()
    {
        QCOMPARE(QString::fromStdString(midiOpenErrorText(MidiFileFault::Missing, "100m.mid")),
                 QStringLiteral("ファイル 100m.mid が見つかりません"));
        QCOMPARE(QString::fromStdString(midiOpenErrorText(MidiFileFault::NotMidi, "goal.mid")),
                 QStringLiteral("ファイル goal.mid は標準 MIDI ファイルではありません"));
        QCOMPARE(QString::fromStdString(midiOpenErrorText(MidiFileFault::None, "goal.mid")),
                 QStringLiteral("原因不明のエラー"));
    }
};

QTEST_APPLESS_MAIN(TestMidiFile)
#include "tst_midifile.moc"
