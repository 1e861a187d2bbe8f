#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

#include "core/exception.h"
#include "rankingfaulttables.h"
#include "ranking/rankingfile.h"

// The ranking file under faults: whatever happens during a save, rank.mlt
// holds either the ranking before it or the ranking after it.
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

    static void writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
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
            if (state == " T")
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

    static QString saveError(RankingFile &file, const RankingLines &table)
    {
        try {
            file.save(table);
        } catch (const EFCreateError &error) {
            return QString::fromUtf8(error.what());
        }
        return {};
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
            saver.start(QStringLiteral(RANKING_SAVER), {});
            QVERIFY(saver.waitForStarted());
            QVERIFY(saver.waitForReadyRead(10000));
            // Any moment within a few saves of the first.
            QThread::usleep(QRandomGenerator::global()->bounded(3000));
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
        QCOMPARE(saveError(file, longTable()), QString("ファイル rank.mlt を作成できません"));
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
        QCOMPARE(saveError(file, shortTable()), QString("ファイル rank.mlt を作成できません"));
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
        QCOMPARE(saveError(file, shortTable()), QString("ファイル rank.mlt を作成できません"));
        // Saving again fails the same way: the game keeps running.
        QCOMPARE(saveError(file, longTable()), QString("ファイル rank.mlt を作成できません"));
    }
};

QTEST_GUILESS_MAIN(TestRankingFaults)
#include "tst_rankingfaults.moc"
