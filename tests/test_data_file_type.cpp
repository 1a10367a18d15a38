// What the packages say about data files: the sample data file they ship is one the tool writes
// and accepts for a write, and the desktop's file type "KZ data file" knows a data file by its
// name and by its first line, as a kind of plain text.

#include "files/data_file.h"
#include "params/parameter_document.h"
#include "params/check_chain.h"
#include "params/parameter_set.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

class TestDataFileType : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The type as the package installs it, in a data folder of its own ahead of the system's.
        QVERIFY(mimeData_.isValid());
        const QString packages = mimeData_.filePath(QStringLiteral("mime/packages"));
        QVERIFY(QDir().mkpath(packages));
        QVERIFY(QFile::copy(QStringLiteral(KZ_MIME_XML), packages + QStringLiteral("/kzpc.xml")));
        QProcess update;
        update.start(QStringLiteral("update-mime-database"), {mimeData_.filePath(QStringLiteral("mime"))});
        QVERIFY2(update.waitForFinished(30000) && update.exitCode() == 0,
                 qPrintable(update.errorString() + QString::fromLocal8Bit(update.readAllStandardError())));
        qputenv("XDG_DATA_HOME", mimeData_.path().toLocal8Bit());
        qputenv("XDG_DATA_DIRS", "/usr/share");
    }

    void sampleIsWhatTheToolWritesAndAcceptsForAWrite()
    {
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QFile sample(QStringLiteral(KZ_SAMPLE_DATA_FILE));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QCOMPARE(sample.readAll(), DataFileBytes(test::ExampleSet()));
        QCOMPARE(ReadDataFile(sample.fileName(), doc), 0);
        doc.current = doc.staged;
        QCOMPARE(CheckRanges(doc, true), 0);
        QCOMPARE(prompts.texts(), QStringList());
    }

    void knownByNameAndFirstLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("type");
        const QByteArray tail = "10,5,5,200,30\r\n10,5,5,30\r\n";
        QTest::newRow("by name") << "line3.kzd" << QByteArray("anything\n") << "application/x-kzd";
        QTest::newRow("no extension, as written") << "line3" << "KZ-C1\r\n" + tail << "application/x-kzd";
        QTest::newRow("unknown extension, LF line ends") << "line3.kzc" << QByteArray("KZ-C1\n10,5\n")
                                                         << "application/x-kzd";
        QTest::newRow("all fields on one line") << "line3" << QByteArray("KZ-C1,10,5,5,200,30\r\n")
                                                << "application/x-kzd";
        QTest::newRow("another model") << "other" << "KZ-C10\r\n" + tail << "text/plain";
        QTest::newRow("identifier in lower case") << "lower" << "kz-c1\r\n" + tail << "text/plain";
        QTest::newRow("identifier not at the start") << "late" << "x KZ-C1\r\n" + tail << "text/plain";
    }
    void knownByNameAndFirstLine()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, type);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QCOMPARE(QMimeDatabase().mimeTypeForFile(file.fileName()).name(), type);
    }

    void isPlainText()
    {
        const QMimeType type = QMimeDatabase().mimeTypeForName(QStringLiteral("application/x-kzd"));
        QVERIFY(type.isValid());
        QVERIFY(type.inherits(QStringLiteral("text/plain")));
    }

private:
    QTemporaryDir mimeData_;
};

QTEST_MAIN(TestDataFileType)
#include "test_data_file_type.moc"
