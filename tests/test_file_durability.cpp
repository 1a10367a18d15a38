// A save that cannot complete leaves the previous data file intact and byte-identical: a
// read-only folder, a full disk, and a save killed while it writes.

#include "files/data_file.h"
#include "params/parameter_set.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kz;

namespace {

ParameterSet Values(int seed)
{
    ParameterSet p;
    p.Vel1 = 1 + seed % 30;
    p.Position1 = 1000 * seed;
    p.HomingPulse = 600;
    p.Sp1 = seed % 256;
    return p;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A small file system of its own (root only); falls back to nothing when mounting is not allowed.
class SmallDisk {
public:
    explicit SmallDisk(const QString &size)
    {
        QDir().mkpath(dir_.path() + QStringLiteral("/m"));
        mounted_ = mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", 0,
                         ("size=" + size).toLatin1().constData())
                   == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(path().toLocal8Bit().constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path() + QStringLiteral("/m"); }
    bool remountReadOnly() const
    {
        return mount(nullptr, path().toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

}  // namespace

class TestFileDurability : public QObject {
    Q_OBJECT

private slots:
    void readOnlyFolder()
    {
        SmallDisk disk(QStringLiteral("64k"));
        if (!disk.mounted())
            QSKIP("cannot mount a file system here (needs root)");
        const QString file = disk.path() + QStringLiteral("/kept.kzd");
        QVERIFY(WriteDataFile(file, Values(1)));
        const QByteArray before = ReadAll(file);
        QVERIFY(disk.remountReadOnly());
        QString error;
        QVERIFY(!WriteDataFile(file, Values(2), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadAll(file), before);
    }

    void fullDisk()
    {
        SmallDisk disk(QStringLiteral("8k"));
        if (!disk.mounted())
            QSKIP("cannot mount a file system here (needs root)");
        const QString file = disk.path() + QStringLiteral("/kept.kzd");
        QVERIFY(WriteDataFile(file, Values(1)));
        const QByteArray before = ReadAll(file);
        // Fill the rest of the disk.
        QFile filler(disk.path() + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        QVERIFY(!WriteDataFile(file, Values(2)));
        QCOMPARE(ReadAll(file), before);
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A save killed at a varied moment leaves either the old or the new file, whole. The child
    // says when its first save is done, so a slow disk cannot make every round end before one.
    void killedWhileSaving()
    {
        QTemporaryDir dir;
        const QString file = QDir(dir.path()).filePath(QStringLiteral("kept.kzd"));
        const QByteArray a = DataFileBytes(Values(1));
        const QByteArray b = DataFileBytes(Values(2));
        int sawNew = 0;
        for (int round = 0; round < 40; ++round) {
            QVERIFY(WriteDataFile(file, Values(1)));
            int ready[2];
            QVERIFY(pipe(ready) == 0);
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                close(ready[0]);
                for (int i = 0;; ++i) {
                    WriteDataFile(file, Values(2 - i % 2));
                    if (i == 0) {
                        const char done = 1;
                        (void)!write(ready[1], &done, 1);
                        close(ready[1]);
                    }
                }
            }
            close(ready[1]);
            char done = 0;
            const bool firstSaveDone = read(ready[0], &done, 1) == 1;
            close(ready[0]);
            usleep(300 * (round % 11));
            kill(child, SIGKILL);
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY2(firstSaveDone, "the child finished no save");
            const QByteArray now = ReadAll(file);
            QVERIFY2(now == a || now == b, now.constData());
            sawNew += now == b;
        }
        // The first save wrote the new data; a kill right after it must find it there.
        QVERIFY2(sawNew > 0, "no round ended with the new data");
    }
};

QTEST_GUILESS_MAIN(TestFileDurability)
#include "test_file_durability.moc"
