#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/exception.h"
#include "rankingfaulttables.h"
#include "ranking/rankingfile.h"
#include "syscallfaults.h"

// The ranking file under faults: whatever happens during a save, rank.mlt
// reads, through the game's own loader, as either the ranking before it or
// the ranking after it; and two copies saving at once lose nothing.
class TestRankingFaults : public QObject
{
    Q_OBJECT

    static QByteArray bytesOf(const RankingLines &table)
    {
        const std::string text = table.text();
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    // The ranking the game would load from the file.
    static QByteArray loaded(const QString &path)
    {
        RankingLines table;
        try {
            RankingFile(path).load(table);
        } catch (const Exception &error) {
            return error.what();
        }
        return bytesOf(table);
    }

    static void writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    static qint64 inode(const QString &path)
    {
        struct stat status;
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_ino) : -1;
    }

    // Stops a process and tells whether it then has a file open in the
    // folder: for the saver, the new ranking it is in the middle of writing.
    static bool stoppedWithFileOpenIn(qint64 pid, const QString &folder)
    {
        ::kill(pid_t(pid), SIGSTOP);
        const QString proc = QStringLiteral("/proc/%1/").arg(pid);
        for (;;) {
            QFile stat(proc + "stat");
            if (!stat.open(QIODevice::ReadOnly))
                return false;
            const QByteArray state = stat.readAll().split(')').last().left(2);
            // "t" when the saver runs under a tracer.
            if (state == " T" || state == " t")
                break;
            if (state == " Z")
                return false;
            QThread::usleep(100);
        }
        const QByteArray inFolder = QFile::encodeName(QFileInfo(folder).canonicalFilePath()) + '/';
        const QDir fds(proc + "fd");
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            char target[4096];
            const ssize_t length = readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target);
            if (length > 0 && QByteArray(target, length).startsWith(inFolder))
                return true;
        }
        return false;
    }

    // rank.mlt in a folder "shared" under dir, holding `ranking`, and the play
    // folders named, each with a rank.mlt that links to that file; "" is the
    // file's own folder. The path of each play folder, in order.
    static QStringList playFoldersOfOneFile(const QTemporaryDir &dir, const QStringList &names,
                                            const QByteArray &ranking)
    {
        const QString shared = dir.filePath("shared");
        QDir().mkdir(shared);
        writeAll(shared + "/rank.mlt", ranking);
        QStringList paths;
        for (const QString &name : names) {
            paths << (name.isEmpty() ? shared : dir.filePath(name));
            if (!name.isEmpty() && QDir().mkdir(paths.last()))
                QFile::link("../shared/rank.mlt", paths.last() + "/rank.mlt");
        }
        return paths;
    }

    static QStringList filesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    static QString saveError(RankingFile &file, RankingLines table)
    {
        const RankingLines wanted = table;
        try {
            file.save(table, [&](RankingLines &theirs) { theirs = wanted; });
        } catch (const EFCreateError &error) {
            return QString::fromUtf8(error.what());
        }
        return {};
    }

    // The rows of the crash tests: the save that replaces the file, and the
    // one that rewrites it in place; a ranking that grows, one that shrinks.
    static void saveKinds()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<bool>("grows");
        QTest::newRow("new file, grows") << false << true;
        QTest::newRow("new file, shrinks") << false << false;
        QTest::newRow("in place, grows") << true << true;
        QTest::newRow("in place, shrinks") << true << false;
    }

private slots:
    void killedMidSave()
    {
        QTemporaryDir dir;
        const QString rank = dir.filePath("rank.mlt");
        const QByteArray shortBytes = bytesOf(shortTable());
        const QByteArray longBytes = bytesOf(longTable());
        writeAll(rank, shortBytes);

        // A round counts as a kill mid-save when the saver, stopped just
        // before the kill, had the new file open.
        int sawShort = 0, sawLong = 0, killedWhileWriting = 0;
        for (int round = 0; round < 100; ++round) {
            QProcess saver;
            saver.setWorkingDirectory(dir.path());
            saver.start(QStringLiteral(RANKING_SAVER), {"alternate"});
            QVERIFY(saver.waitForStarted());
            QVERIFY(saver.waitForReadyRead(10000));
            // Any moment within a few saves of the first, however long a save
            // takes on this machine and build (a sanitizer's is slow).
            const int saveUs = saver.readLine().split(' ').value(1).trimmed().toInt();
            QThread::usleep(QRandomGenerator::global()->bounded(std::max(3000, 3 * saveUs)));
            if (stoppedWithFileOpenIn(saver.processId(), dir.path()))
                ++killedWhileWriting;
            saver.kill();
            QVERIFY(saver.waitForFinished());
            const QByteArray now = readAll(rank);
            QVERIFY2(now == shortBytes || now == longBytes,
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            ++(now == shortBytes ? sawShort : sawLong);
        }
        qInfo("rank.mlt after the kills: %d times the short table, %d times the long one; "
              "%d kills landed while the new file was being written",
              sawShort, sawLong, killedWhileWriting);
        QVERIFY2(killedWhileWriting > 0, "no kill landed in the middle of a save");
    }

    // A kill just before and just after each call the save makes on files.
    void killedAroundEachCall_data() { saveKinds(); }
    void killedAroundEachCall()
    {
        QFETCH(bool, inPlace);
        QFETCH(bool, grows);
        QTemporaryDir dir;
        const QString rank = dir.filePath("rank.mlt");
        const QByteArray oldRanking = bytesOf(grows ? shortTable() : longTable());
        const QByteArray newRanking = bytesOf(grows ? longTable() : shortTable());
        int kills = 0;
        for (int call = 1;; ++call) {
            bool lived = false;
            for (const char *when : {"before", "after"}) {
                writeAll(rank, oldRanking);
                const qint64 oldInode = inode(rank);
                QProcess saver;
                saver.setWorkingDirectory(dir.path());
                QStringList arguments = {"once", grows ? "long" : "short", QString::number(call), when};
                if (inPlace)
                    arguments << "in-place";
                saver.start(QStringLiteral(RANKING_SAVER), arguments);
                QVERIFY(saver.waitForFinished(20000));
                // The next start of the game: it reads the file and clears
                // what the kill left.
                const QByteArray now = loaded(rank);
                const QString where = QStringLiteral("%1 call %2").arg(when).arg(call);
                QVERIFY2(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{"rank.mlt"},
                         qPrintable(where + ": " + QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(' ')));
                if (saver.exitStatus() == QProcess::CrashExit) {
                    ++kills;
                    QVERIFY2(now == oldRanking || now == newRanking,
                             qPrintable(where + ": neither ranking, " + QString::number(now.size()) + " bytes"));
                    continue;
                }
                QVERIFY2(saver.exitCode() == 0, qPrintable(where + ": " + saver.readAllStandardError()));
                QCOMPARE(now, newRanking);
                QCOMPARE(readAll(rank), newRanking);
                QCOMPARE(inode(rank) == oldInode, inPlace);
                lived = true;
            }
            if (lived)
                break;
        }
        qInfo("%d kills around the save's calls", kills);
        QVERIFY(kills >= 6);
    }

    // Each call the save makes on files fails once, in turn: a save that
    // says it is done has written the new ranking, one that fails leaves one
    // ranking or the other, and no temporary file stays behind.
    void failedCalls_data() { saveKinds(); }
    void failedCalls()
    {
        QFETCH(bool, inPlace);
        QFETCH(bool, grows);
        QTemporaryDir dir;
        const QString rank = dir.filePath("rank.mlt");
        const RankingLines oldTable = grows ? shortTable() : longTable();
        const RankingLines newTable = grows ? longTable() : shortTable();
        for (int call = 1;; ++call) {
            QFile::remove(rank + ".bak");
            writeAll(rank, bytesOf(oldTable));
            RankingFile file(rank);
            RankingLines table;
            file.load(table);
            SyscallFaults::arm(call, SyscallFaults::Fault::Fail);
            if (inPlace)
                SyscallFaults::refuseNewFiles(EACCES);
            const QString error = saveError(file, newTable);
            const int calls = SyscallFaults::calls();
            SyscallFaults::disarm();

            const QByteArray now = loaded(rank);
            const QString where = QStringLiteral("call %1 failed, the save said \"%2\"").arg(call).arg(error);
            QVERIFY2(now == bytesOf(oldTable) || now == bytesOf(newTable), qPrintable(where));
            if (error.isEmpty())
                QVERIFY2(now == bytesOf(newTable), qPrintable(where));
            const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            QVERIFY2(left == QStringList{"rank.mlt"} || left == QStringList({"rank.mlt", "rank.mlt.bak"}),
                     qPrintable(where + ": " + left.join(' ')));
            if (calls < call)
                break;
        }
    }

    // A file the game could not load, and saves that fail after its copy was
    // made (the disk refuses the new ranking): the copy is made once, beside
    // the file itself, not again for each failed save nor for each copy of
    // the game that reaches the file through a link; the save that works
    // leaves it alone. One finish in each play folder named, in turn.
    void anIdenticalCopyIsNotMadeAgain_data()
    {
        QTest::addColumn<QStringList>("playFolders"); // "": the file's own folder
        QTest::newRow("one folder") << QStringList{"", "", ""};
        QTest::newRow("two folders linked to one file") << QStringList{"a", "b", "a"};
    }
    void anIdenticalCopyIsNotMadeAgain()
    {
        QFETCH(QStringList, playFolders);
        QTemporaryDir dir;
        QByteArray tooLarge;
        while (tooLarge.size() <= qsizetype(RankingTextLimit))
            tooLarge += "12\r\n";
        const QStringList folders = playFoldersOfOneFile(dir, playFolders, tooLarge);
        const QString shared = dir.filePath("shared");
        std::map<QString, RankingFile> files;
        for (const QString &folder : folders) {
            RankingFile &file = files.try_emplace(folder, folder + "/rank.mlt").first->second;
            RankingLines table;
            QVERIFY_THROWS_EXCEPTION(EOutOfCapacity, file.load(table));
        }
        SyscallFaults::refuseRenames(ENOSPC);
        for (const QString &folder : folders)
            QCOMPARE(saveError(files.at(folder), shortTable()), QString("FileNotCreated: rank.mlt"));
        SyscallFaults::disarm();
        QCOMPARE(filesIn(shared), QStringList({"rank.mlt", "rank.mlt.bak"}));
        for (const QString &folder : folders)
            if (folder != shared)
                QCOMPARE(filesIn(folder), QStringList{"rank.mlt"});
        QCOMPARE(saveError(files.at(folders.last()), shortTable()), QString());
        QCOMPARE(readAll(shared + "/rank.mlt.bak"), tooLarge);
        QCOMPARE(readAll(shared + "/rank.mlt"), bytesOf(shortTable()));
        QCOMPARE(filesIn(shared), QStringList({"rank.mlt", "rank.mlt.bak"}));
    }

    // Only a folder that refuses new files, or refuses to let one replace
    // the old (sticky, the old one another user's), is written in place;
    // after a full disk or too many open files that would only make things
    // worse.
    void folderRefusesANewFile_data()
    {
        QTest::addColumn<bool>("atRename"); // else at the new file's creation
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("EACCES") << false << EACCES << true;
        QTest::newRow("EPERM") << false << EPERM << true;
        QTest::newRow("EROFS") << false << EROFS << true;
        QTest::newRow("ENOSPC") << false << ENOSPC << false;
        QTest::newRow("EDQUOT") << false << EDQUOT << false;
        QTest::newRow("EMFILE") << false << EMFILE << false;
        QTest::newRow("rename EPERM, a sticky folder") << true << EPERM << true;
        QTest::newRow("rename ENOSPC") << true << ENOSPC << false;
    }
    void folderRefusesANewFile()
    {
        QFETCH(bool, atRename);
        QFETCH(int, error);
        QFETCH(bool, inPlace);
        QTemporaryDir dir;
        const QString rank = dir.filePath("rank.mlt");
        writeAll(rank, bytesOf(longTable()));
        RankingFile file(rank);
        RankingLines table;
        file.load(table);
        if (atRename)
            SyscallFaults::refuseRenames(error);
        else
            SyscallFaults::refuseNewFiles(error);
        const QString message = saveError(file, shortTable());
        SyscallFaults::disarm();
        QCOMPARE(message, inPlace ? QString() : QString("FileNotCreated: rank.mlt"));
        QCOMPARE(readAll(rank), bytesOf(inPlace ? shortTable() : longTable()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rank.mlt"});
    }

    // Two copies of the game saving as fast as they can: each save adds a
    // line, and every line of both ends up in the file, in each copy's order.
    // The copies play in one folder, or each in a folder of its own whose
    // rank.mlt is a link to one file, or one beside the file and one through a
    // link: whichever way a copy reaches the file, the lock and the clean-up
    // are the file's folder's. Nothing is left beside the file.
    void twoCopiesSavingAtOnce_data()
    {
        QTest::addColumn<QStringList>("playFolders"); // "": the file's own folder
        QTest::newRow("one folder") << QStringList{"", ""};
        QTest::newRow("two folders linked to one file") << QStringList{"a", "b"};
        QTest::newRow("the file's folder and a linked one") << QStringList{"", "b"};
    }
    void twoCopiesSavingAtOnce()
    {
        QFETCH(QStringList, playFolders);
        QTemporaryDir dir;
        const QString shared = dir.filePath("shared");
        const QStringList folders = playFoldersOfOneFile(dir, playFolders, bytesOf(shortTable()));
        constexpr int Saves = 150;
        QProcess copies[2];
        const char *tags[2] = {"A", "B"};
        for (int i = 0; i < 2; ++i) {
            copies[i].setWorkingDirectory(folders[i]);
            copies[i].start(QStringLiteral(RANKING_SAVER), {"append", tags[i], QString::number(Saves)});
        }
        for (QProcess &copy : copies) {
            QVERIFY(copy.waitForFinished(120000));
            QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0,
                     copy.readAllStandardError().constData());
        }
        const QList<QByteArray> lines = readAll(shared + "/rank.mlt").split('\n');
        for (const char *tag : tags) {
            QList<QByteArray> added, expected;
            for (const QByteArray &line : lines)
                if (line.startsWith(QByteArray(tag) + ' '))
                    added << line.trimmed();
            for (int n = 0; n < Saves; ++n)
                expected << QByteArray(tag) + ' ' + QByteArray::number(n);
            QCOMPARE(added, expected);
        }
        QVERIFY(readAll(shared + "/rank.mlt").startsWith(bytesOf(shortTable())));
        QCOMPARE(filesIn(shared), QStringList{"rank.mlt"});
    }

    // A real full disk: a small memory file system, where root can mount one.
    void diskFull()
    {
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (geteuid() != 0 || mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("cannot mount a small file system here");
        const auto unmount = qScopeGuard([&] { umount(mountPoint.constData()); });

        const QString rank = dir.filePath("rank.mlt");
        const QByteArray old = bytesOf(shortTable());
        writeAll(rank, old);
        // Fill the rest, leaving less room than the new ranking needs.
        QFile filler(dir.filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        RankingFile file(rank);
        RankingLines table;
        file.load(table);
        QCOMPARE(saveError(file, longTable()), QString("FileNotCreated: rank.mlt"));
        QCOMPARE(readAll(rank), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"filler", "rank.mlt"}));
    }

    void rankingIsADirectory()
    {
        QTemporaryDir dir;
        const QString rank = dir.filePath("rank.mlt");
        QVERIFY(QDir().mkdir(rank));
        writeAll(rank + "/inside", "kept");
        RankingFile file(rank);
        QCOMPARE(saveError(file, shortTable()), QString("FileNotCreated: rank.mlt"));
        QVERIFY(QFileInfo(rank).isDir());
        QCOMPARE(readAll(rank + "/inside"), QByteArray("kept"));
    }

    void workingDirectoryGone()
    {
        const QString previous = QDir::currentPath();
        const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        {
            QTemporaryDir dir;
            QVERIFY(QDir::setCurrent(dir.path()));
        }
        RankingFile file;
        QCOMPARE(saveError(file, shortTable()), QString("FileNotCreated: rank.mlt"));
        // Saving again fails the same way: the game keeps running.
        QCOMPARE(saveError(file, longTable()), QString("FileNotCreated: rank.mlt"));
    }
};

QTEST_GUILESS_MAIN(TestRankingFaults)
#include "tst_rankingfaults.moc"
