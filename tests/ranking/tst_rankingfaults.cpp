#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

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

        int sawShort = 0, sawLong = 0;
        for (int round = 0; round < 100; ++round) {
            QProcess saver;
            saver.setWorkingDirectory(dir.path());
            saver.start(QStringLiteral(RANKING_SAVER), {});
            QVERIFY(saver.waitForStarted());
            QVERIFY(saver.waitForReadyRead(10000));
            // Any moment within a few saves of the first.
            QThread::usleep(QRandomGenerator::global()->bounded(3000));
            saver.kill();
            QVERIFY(saver.waitForFinished());
            const QByteArray now = readAll(rank);
            QVERIFY2(now == shortBytes || now == longBytes,
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
            ++(now == shortBytes ? sawShort : sawLong);
        }
        // A kill mid-save may leave the unfinished new file beside rank.mlt.
        const int leftOver = int(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size()) - 1;
        qInfo("rank.mlt after the kills: %d times the short table, %d times the long one; "
              "%d unfinished files left beside it",
              sawShort, sawLong, leftOver);
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
