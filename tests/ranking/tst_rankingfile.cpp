#include <QtTest>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/exception.h"
#include "ranking/insertion.h"
#include "ranking/rankingfile.h"

using Bytes = QByteArray;

namespace {

Bytes readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : Bytes();
}

void writeAll(const QString &path, const Bytes &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A save by the only copy of the game: if the file changed, the table meant
// is written all the same.
void save(RankingFile &file, RankingLines &table)
{
    const RankingLines meant = table;
    file.save(table, [&](RankingLines &theirs) { theirs = meant; });
}

Bytes lines(int count, const Bytes &line)
{
    Bytes text;
    for (int i = 0; i < count; ++i)
        text += line + "\r\n";
    return text;
}

// Lowers the largest file this process may write while it lives, so that a
// write fails even for root; SIGXFSZ is ignored so the write just errs.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// Makes a folder take no new file while the given files in it stay writable,
// for as long as it lives. Root passes over permissions, so root checks
// files as "nobody" meanwhile; setfsuid() is the calling thread's alone.
class ReadOnlyFolder
{
public:
    ReadOnlyFolder(const QString &folder, const QStringList &files) : m_folder(folder)
    {
        for (const QString &file : files)
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup
                                            | QFile::ReadOther | QFile::WriteOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther);
        if (geteuid() == 0)
            setfsuid(NobodyId);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    ~ReadOnlyFolder()
    {
        if (geteuid() == 0)
            setfsuid(0);
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    static constexpr uid_t NobodyId = 65534;
    QString m_folder;
};

// Makes a file another user's that this process may read but not write, in a
// sticky folder that everybody writes to, as a shared play folder can be, for
// as long as it lives. Root checks files as "nobody" meanwhile.
class AnotherUsersFile
{
public:
    AnotherUsersFile(const QString &folder, const QString &file) : m_folder(folder), m_file(file)
    {
        ::chmod(QFile::encodeName(folder).constData(), 01777);
        ::chmod(QFile::encodeName(file).constData(), 0444);
        if (geteuid() == 0)
            setfsuid(NobodyId);
    }
    AnotherUsersFile(const AnotherUsersFile &) = delete;
    AnotherUsersFile &operator=(const AnotherUsersFile &) = delete;
    ~AnotherUsersFile()
    {
        if (geteuid() == 0)
            setfsuid(0);
        ::chmod(QFile::encodeName(m_file).constData(), 0644);
        ::chmod(QFile::encodeName(m_folder).constData(), 0700);
    }

private:
    static constexpr uid_t NobodyId = 65534;
    QString m_folder;
    QString m_file;
};

} // namespace

class TestRankingFile : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("rank.mlt"); }
    QString backupPath() const { return m_dir.filePath("rank.mlt.bak"); }

private slots:
    void init()
    {
        QFile::remove(path());
        QFile::remove(backupPath());
    }

    void loadThenSave_data()
    {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<Bytes>("written");
        const Bytes game = lines(RankingPlaces, "12") + lines(RankingPlaces, "3")
                           + lines(RankingPlaces, "\x83\x7E\x83\x8B\x83\x5E") + lines(RankingPlaces, "123") + lines(5, "");
        const int gameLines = 4 * RankingPlaces + 5;
        QTest::newRow("game's own file is byte-identical") << game << gameLines << game;
        QTest::newRow("lf only") << Bytes("1\n2\n") << 2 << Bytes("1\r\n2\r\n");
        QTest::newRow("cr only") << Bytes("1\r2\r") << 2 << Bytes("1\r\n2\r\n");
        QTest::newRow("mixed") << Bytes("1\r\n2\n3\r4") << 4 << Bytes("1\r\n2\r\n3\r\n4");
        QTest::newRow("lf cr is two breaks") << Bytes("1\n\r2") << 3 << Bytes("1\r\n\r\n2");
        QTest::newRow("break between double-byte chars")
            << Bytes("\x82\xA0\r\x82\xA0\n") << 2 << Bytes("\x82\xA0\r\n\x82\xA0\r\n");
        QTest::newRow("lead byte takes the lf after it")
            << Bytes("\x82\nX\r\nY") << 2 << Bytes("\x82\nX\r\nY");
        QTest::newRow("lead byte takes the cr of a crlf")
            << Bytes("\x82\r\nY") << 2 << Bytes("\x82\r\r\nY");
        QTest::newRow("nul ends the text") << Bytes("1\r\n2\0junk\r\n", 11) << 2 << Bytes("1\r\n2");
        QTest::newRow("nul after a lead byte") << Bytes("1\x82\0\n2", 5) << 1 << Bytes("1\x82");
        QTest::newRow("no final break stays without one") << Bytes("1\r\n2") << 2 << Bytes("1\r\n2");
        QTest::newRow("only a break") << Bytes("\n") << 1 << Bytes("\r\n");
        QTest::newRow("empty file") << Bytes() << 0 << Bytes();
        QTest::newRow("fewer than 40 lines") << lines(12, "9") << 12 << lines(12, "9");
        QTest::newRow("extra lines carried") << game + lines(20, "kept") + "last" << gameLines + 21
                                             << game + lines(20, "kept") + "last";
        const Bytes longName = lines(NameColumn, "1") + lines(1, Bytes(255, 'n')) + lines(24, "2");
        QTest::newRow("255-byte name") << longName << NameColumn + 25 << longName;
    }
    void loadThenSave()
    {
        QFETCH(Bytes, file);
        QFETCH(int, lineCount);
        QFETCH(Bytes, written);
        writeAll(path(), file);
        RankingFile rankingFile(path());
        RankingLines table = builtInRankingLines();
        rankingFile.load(table);
        QCOMPARE(table.lineCount(), lineCount);
        save(rankingFile, table);
        QCOMPARE(readAll(path()), written);
        QVERIFY(!QFile::exists(backupPath()));
    }

    void missingFile()
    {
        RankingFile rankingFile(path());
        RankingLines table = builtInRankingLines();
        try {
            rankingFile.load(table);
            QFAIL("a missing file loaded");
        } catch (const EFOpenError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), "FileNotOpened: rank.mlt");
        }
        QCOMPARE(table.text(), builtInRankingLines().text());

        // The first ranked race creates the file: the built-in table's lines, each ended by CR LF.
        RaceState race;
        race.seconds = 20;
        enterRanking(race, table, [](int) { return std::string("me"); },
                     [&] { save(rankingFile, table); });
        const Bytes written = readAll(path());
        QCOMPARE(written.count("\r\n"), builtInRankingLines().lineCount());
        QVERIFY(written.startsWith("20\r\n50\r\n"));
        QVERIFY(written.endsWith("500\r\n\r\n\r\n\r\n\r\n\r\n"));
        QVERIFY(!QFile::exists(backupPath()));
    }

    // A file the table could not take is the player's ranking: the first save
    // keeps it as rank.mlt.bak, later saves leave that copy alone.
    void fileTooLargeIsKeptOnce()
    {
        const Bytes big = lines(RankingTextLimit / 4, "12") + "3";
        writeAll(path(), big);
        RankingFile rankingFile(path());
        RankingLines table = builtInRankingLines();
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, rankingFile.load(table));
        QCOMPARE(table.text(), builtInRankingLines().text());

        save(rankingFile, table);
        QCOMPARE(readAll(backupPath()), big);
        QCOMPARE(readAll(path()), Bytes::fromStdString(table.text()));

        writeAll(backupPath(), "older");
        save(rankingFile, table);
        QCOMPARE(readAll(backupPath()), Bytes("older"));

        // Another unreadable file later: the first copy stays, the new one
        // goes beside it.
        const Bytes bigger = big + "4";
        writeAll(path(), bigger);
        save(rankingFile, table);
        QCOMPARE(readAll(backupPath()), Bytes("older"));
        QCOMPARE(readAll(m_dir.filePath("rank.mlt.2.bak")), bigger);
        QCOMPARE(readAll(path()), Bytes::fromStdString(table.text()));
        QFile::remove(m_dir.filePath("rank.mlt.2.bak"));
    }

    // The game never writes a file the next start would refuse: a save past
    // RankingTextLimit keeps the old file, and the entry stays in the table.
    void saveNearTheLimit_data()
    {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<bool>("saved");
        // The file is 10 bytes under the limit; the new name pushes out a
        // one-byte one.
        QTest::newRow("reaches the limit") << 11 << true;
        QTest::newRow("one byte over") << 12 << false;
    }
    void saveNearTheLimit()
    {
        QFETCH(int, nameLength);
        QFETCH(bool, saved);
        const Bytes head = lines(RankingPlaces, "50") + lines(RankingPlaces, "0") + lines(RankingPlaces, "n")
                           + lines(RankingPlaces, "500");
        const Bytes old = head + lines(1, Bytes(qsizetype(RankingTextLimit) - 10 - head.size() - 2, 'f'));
        writeAll(path(), old);
        RankingFile rankingFile(path());
        RankingLines table = builtInRankingLines();
        rankingFile.load(table);

        RaceState race;
        race.seconds = 20;
        const std::string name(nameLength, 'N');
        QString message;
        try {
            enterRanking(race, table, [&](int) { return name; }, [&] { save(rankingFile, table); });
        } catch (const EOutOfCapacity &error) {
            message = QString::fromUtf8(error.what());
        }
        QCOMPARE(Bytes::fromStdString(table.line(NameColumn)), Bytes::fromStdString(name));
        QCOMPARE(Bytes::fromStdString(table.line(TimeColumn)), Bytes("200"));
        if (saved) {
            QCOMPARE(message, QString());
            QCOMPARE(readAll(path()), Bytes::fromStdString(table.text()));
            RankingLines reloaded;
            rankingFile.load(reloaded);
            QCOMPARE(reloaded.text(), table.text());
        } else {
            QCOMPARE(message, "RankingTooLarge: rank.mlt");
            QCOMPARE(readAll(path()), old);
        }
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rank.mlt"});
    }

    // A folder that takes no new file but holds a writable rank.mlt: the
    // ranking is written in place, and whatever fails leaves the files whole.
    void readOnlyFolder_data()
    {
        QTest::addColumn<Bytes>("old");
        QTest::addColumn<Bytes>("backup"); // rank.mlt.bak before the save; null: none
        QTest::addColumn<int>("fileSizeLimit"); // 0: none
        QTest::addColumn<QString>("error");
        const Bytes tooLarge = lines(RankingTextLimit / 4, "12") + "3";
        QTest::newRow("grows in place") << lines(3, "9") << Bytes() << 0 << QString();
        QTest::newRow("shrinks in place") << lines(200, "99999") << Bytes() << 0 << QString();
        QTest::newRow("disk refuses the growth")
            << lines(3, "9") << Bytes() << 100 << QString("FileNotCreated: rank.mlt");
        // A .bak from before is the player's too; the next one cannot be made.
        QTest::newRow("unloaded file, an old .bak stays")
            << tooLarge << Bytes("older") << 0
            << QString("BackupNotMade: rank.mlt, rank.mlt.2.bak");
    }
    void readOnlyFolder()
    {
        QFETCH(Bytes, old);
        QFETCH(Bytes, backup);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, error);
        writeAll(path(), old);
        if (!backup.isNull())
            writeAll(backupPath(), backup);
        RankingFile rankingFile(path());
        RankingLines scratch;
        const bool unloadable = old.size() > qsizetype(RankingTextLimit);
        if (unloadable)
            QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, rankingFile.load(scratch));
        else
            rankingFile.load(scratch);

        RankingLines table = builtInRankingLines();
        QString message;
        {
            const ReadOnlyFolder readOnly(m_dir.path(), {path(), backupPath()});
            if (!QFile(path()).open(QIODevice::ReadWrite) || QFile(m_dir.filePath("probe")).open(QIODevice::WriteOnly))
                QSKIP("no way here to make a folder refuse new files while its rank.mlt stays writable");
            std::optional<FileSizeLimit> limit;
            if (fileSizeLimit)
                limit.emplace(fileSizeLimit);
            try {
                save(rankingFile, table);
            } catch (const EFCreateError &saveError) {
                message = QString::fromUtf8(saveError.what());
            }
        }
        QCOMPARE(message, error);
        QCOMPARE(readAll(path()), error.isEmpty() ? Bytes::fromStdString(table.text()) : old);
        QCOMPARE(readAll(backupPath()), unloadable && error.isEmpty() ? old : backup);
    }

    // A file the game could not load, in a folder where its copy cannot be
    // made: it stays as it is. The first finish says which file and which
    // copy, and what the player can do; later ones keep the ranking in memory
    // without a word, and save once the copy can be made.
    void backupRefusedOncePerRun()
    {
        const Bytes tooLarge = lines(RankingTextLimit / 4, "12") + "3";
        writeAll(path(), tooLarge);
        RankingFile rankingFile(path());
        RankingLines table;
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, rankingFile.load(table));
        table = builtInRankingLines();
        QStringList messages;
        {
            const ReadOnlyFolder readOnly(m_dir.path(), {path()});
            if (QFile(m_dir.filePath("probe")).open(QIODevice::WriteOnly))
                QSKIP("no way here to make a folder refuse new files");
            for (int finish = 0; finish < 2; ++finish) {
                try {
                    save(rankingFile, table);
                } catch (const EFCreateError &error) {
                    messages << QString::fromUtf8(error.what());
                }
            }
        }
        QCOMPARE(messages, QStringList{"BackupNotMade: rank.mlt, rank.mlt.bak"});
        QCOMPARE(readAll(path()), tooLarge);
        QVERIFY(!QFile::exists(backupPath()));

        save(rankingFile, table);
        QCOMPARE(readAll(backupPath()), tooLarge);
        QCOMPARE(readAll(path()), Bytes::fromStdString(table.text()));
    }

    // A file the game could not load that it may not write either: no save
    // can happen, so no copy of it is made, however often the player
    // finishes; each save says it failed. Once the file is writable, the
    // next save keeps one copy and writes.
    void unloadableAndNotWritable()
    {
        const Bytes tooLarge = lines(RankingTextLimit / 4, "12") + "3";
        writeAll(path(), tooLarge);
        RankingFile rankingFile(path());
        RankingLines table;
        QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, rankingFile.load(table));
        table = builtInRankingLines();
        QStringList messages;
        {
            const AnotherUsersFile notOurs(m_dir.path(), path());
            if (QFile(path()).open(QIODevice::WriteOnly | QIODevice::Append))
                QSKIP("no way here to make a file unwritable");
            for (int finish = 0; finish < 3; ++finish) {
                try {
                    save(rankingFile, table);
                } catch (const EFCreateError &error) {
                    messages << QString::fromUtf8(error.what());
                }
            }
        }
        QCOMPARE(messages, QStringList(3, "FileNotCreated: rank.mlt"));
        QCOMPARE(readAll(path()), tooLarge);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rank.mlt"});

        save(rankingFile, table);
        QCOMPARE(readAll(backupPath()), tooLarge);
        QCOMPARE(readAll(path()), Bytes::fromStdString(table.text()));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"rank.mlt", "rank.mlt.bak"}));
    }

    void failedSave_data()
    {
        QTest::addColumn<bool>("limitFileSize");
        QTest::addColumn<QString>("savePath");
        QTest::newRow("disk refuses the bytes") << true << "rank.mlt";
        QTest::newRow("directory is a file") << false << "rank.mlt/rank.mlt";
    }
    void failedSave()
    {
        QFETCH(bool, limitFileSize);
        QFETCH(QString, savePath);
        const Bytes previous = lines(45, "previous");
        writeAll(path(), previous);
        RankingFile rankingFile(m_dir.filePath(savePath));
        RankingLines table = builtInRankingLines();
        QString message;
        {
            std::optional<FileSizeLimit> limit;
            if (limitFileSize)
                limit.emplace(16);
            try {
                save(rankingFile, table);
            } catch (const EFCreateError &error) {
                message = QString::fromUtf8(error.what());
            }
        }
        QCOMPARE(message, "FileNotCreated: rank.mlt");
        QCOMPARE(readAll(path()), previous);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"rank.mlt"});
        QCOMPARE(table.text(), builtInRankingLines().text());
    }
};

QTEST_GUILESS_MAIN(TestRankingFile)
#include "tst_rankingfile.moc"
