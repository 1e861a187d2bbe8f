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

    // The programs a song can choose: what the synth must be able to sound.
    void programs_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("programs"); // {-1}: in doubt, any program
        auto row = [](const char *name, const std::string &bytes, QList<int> programs) {
            QTest::newRow(name) << QByteArray::fromStdString(bytes) << programs;
        };
        auto song = [](const std::string &events) { return header(0, 1) + chunk("MTrk", events + endOfTrack); };
        const std::string change5("\x00\xC0\x05", 3);
        row("no program change", song(oneNote.substr(0, 8)), {});
        row("one on channel 1", song(change5), {5});
        row("drum channel", song(std::string("\x00\xC9\x00", 3)), {0});
        row("running status", song(change5 + std::string("\x10\x07\x00\x7F", 4)), {5, 7, 127});
        row("second track", header(1, 2) + chunk("MTrk", oneNote) + chunk("MTrk", change5 + endOfTrack), {5});
        row("after notes and a pitch bend",
            song(std::string("\x00\x90\x3C\x64\x00\xE0\x00\x40\x00\xC3\x30", 11)), {48});
        row("look-alike bytes inside text and system exclusive",
            song(std::string("\x00\xFF\x01\x02\xC0\x09\x00\xF0\x03\xC1\x0A\xF7", 12) + change5), {5});
        row("running status after a meta event", song(change5 + std::string("\x00\xFF\x01\x00\x00\x07", 6)),
            {-1});
        row("data byte with no status", song(std::string("\x00\x07", 2)), {-1});
        row("status byte as the program", song(std::string("\x00\xC0\x85", 3)), {-1});
        row("system message in a track", song(std::string("\x00\xF2\x00\x00", 4)), {-1});
        row("track cut inside an event", header(0, 1) + chunk("MTrk", std::string("\x00\xC0", 2)), {-1});
        row("meta event longer than the track", header(0, 1) + chunk("MTrk", std::string("\x00\xFF\x01\x09", 4)),
            {-1});
        row("delta time of five bytes", song(std::string("\x81\x81\x81\x81\x01\xC0\x05", 7)), {-1});
        row("not a song", "RIFF", {-1});
    }
    void programs()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, programs);
        const std::optional<std::bitset<128>> chosen = programsChosen(bytes.toStdString());
        if (programs == QList<int>{-1}) {
            QVERIFY(!chosen);
            return;
        }
        QVERIFY(chosen);
        QList<int> found;
        for (int program = 0; program < 128; ++program)
            if (chosen->test(program))
                found << program;
        QCOMPARE(found, programs);
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

};

QTEST_APPLESS_MAIN(TestMidiFile)
#include "tst_midifile.moc"
