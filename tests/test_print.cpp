// The settings report: the draw list for a known parameter set in both languages, the report font,
// and a page printed to PDF and read back with pdftotext.

#include "core/strings.h"
#include "params/parameter_set.h"
#include "printing/frmPrintSelect.h"
#include "printing/print_ops.h"
#include "printing/report.h"
#include "support/file_size_limit.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

// Distinct values, one negative; RevDir set so that a printed rotation direction would show.
ParameterSet KnownSet()
{
    ParameterSet s;
    s.Vel1 = 10, s.Acc1 = 5, s.Dec1 = 4, s.PauseTime1 = 30, s.Position1 = 400;
    s.Vel2 = 21, s.Acc2 = 3, s.Dec2 = 2, s.PauseTime2 = 0, s.Position2 = 16777215;
    s.SeparateTimer = 100, s.SupplyCounter = 8, s.RestartDelay = 101, s.MidDetectCounter = 15;
    s.NoWorkCounter = 200, s.TipWorkOffTimer = 20, s.Sp1 = -5, s.RevDir = 1;
    s.HomingVel = 9, s.HomingPulse = 300, s.OffsetVel = 6, s.HomeOffset = 2;
    return s;
}

ReportSource Source(bool screen, bool file, const QString &title = QString())
{
    return {screen, file, title, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))};
}

QString Rule(int n)
{
    return QString(n, QLatin1Char('='));
}

struct Placed {
    int x, y;
    QString text;
};

// The whole English report for KnownSet, printed from the file "abc.kzd", given the line height L
// (the date line sits one line below the title, so its y is L).
QList<Placed> ExpectedEnglishFileReport(int L)
{
    QList<Placed> e = {
        {0, 0, "KZ PC-Software"},
        {1500, 900, "File Name:abc.kzd"},
        {1500, 1200, "=== Moving Settings " + Rule(54)},
        {2500, 1600, "VEL"}, {3500, 1600, "ACC"}, {4500, 1600, "DEC"},
        {5500, 1600, "Pausing time"}, {7000, 1600, "Position(pulse)"},
        {1500, 2000, "Position 1"}, {2500, 2000, " 10 "}, {3500, 2000, " 5 "}, {4500, 2000, " 4 "},
        {5500, 2000, " 30 "}, {7000, 2000, " 400 "},
        {1500, 2400, "Position 2"}, {2500, 2400, " 21 "}, {3500, 2400, " 3 "}, {4500, 2400, " 2 "},
        {5500, 2400, " 0 "}, {7000, 2400, " 16777215 "},
        {1500, 3600, "=== Sensor parameters " + Rule(45)},
    };
    const QList<QPair<QString, QString>> sensor = {
        {"Separate timer", " 100 "}, {"Supply counter", " 8 "}, {"Restart Delay", " 101 "},
        {"Mid Detect counter", " 15 "}, {"No work counter", " 200 "}, {"Tip work off timer", " 20 "},
        {"SP1", "-5 "}};
    int y = 3600 + L;
    for (const auto &[caption, value] : sensor) {
        y += 400;
        e += {{1500, y, caption}, {4500, y, value}};
    }
    y += 600;
    e += {{1500, y, "=== Homing parameters " + Rule(42)}};
    y += L;
    const QList<QPair<QString, QString>> homing = {
        {"Homing VEL", " 9 "}, {"Homing Pulse", " 300 "}, {"Offset Moving VEL", " 6 "},
        {"Home Position Offset", " 2 "}};
    for (const auto &[caption, value] : homing) {
        y += 400;
        e += {{1500, y, caption}, {4500, y, value}};
    }
    return e;
}

const DrawOp *OpAt(const QList<DrawOp> &ops, int x, int y)
{
    for (const DrawOp &op : ops)
        if (op.x == x && op.y == y)
            return &op;
    return nullptr;
}

bool SupportsJapanese(const QString &family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
}

struct PdfWord {
    QRectF box;  // points, from the page's top-left
    QString text;
};

// The words of the first page as pdftotext -bbox places them.
QList<PdfWord> ReadWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
        text.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
        words.append({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                      text.normalized(QString::NormalizationForm_KC)});
    }
    return words;
}

// The page as pdftotext read it against the report's draw list: every text where the list puts it
// in the printable area (points), nothing past that area, no two words of a line touching.
void ExpectReportPage(const QList<PdfWord> &words, const QRectF &area, const QList<DrawOp> &ops)
{
    QVERIFY2(!words.isEmpty(), "pdftotext found no words");
    for (const DrawOp &op : ops) {
        if (op.x == 0 && op.y > 0 && op.y < 900)
            continue;  // the date line: its time is not the one computed here
        const QString first = op.text.simplified().section(QLatin1Char(' '), 0, 0).normalized(QString::NormalizationForm_KC);
        const double x = area.left() + op.x / 20.0;
        const double y = area.top() + op.y / 20.0;
        // A number starts one space to the right of its position.
        const bool found = std::any_of(words.begin(), words.end(), [&](const PdfWord &w) {
            return w.text == first && w.box.left() >= x - 1.0 && w.box.left() <= x + 8.0 &&
                   qAbs(w.box.top() - y) <= 5.0;
        });
        QVERIFY2(found, qPrintable(QStringLiteral("\"%1\" not at %2,%3").arg(first).arg(op.x).arg(op.y)));
    }
    for (const PdfWord &w : words) {
        QVERIFY2(w.box.right() <= area.right() + 0.5 && w.box.bottom() <= area.bottom(), qPrintable(w.text));
        // Words of one line keep clear of each other: a caption never runs into the next column.
        for (const PdfWord &v : words) {
            if (&v == &w || qAbs(v.box.top() - w.box.top()) > 2.0 || v.box.left() < w.box.left())
                continue;
            QVERIFY2(v.box.left() - w.box.right() >= 2.0,
                     qPrintable(QStringLiteral("\"%1\" touches \"%2\"").arg(w.text, v.text)));
        }
    }
}

// The page's size in points, as pdftotext -bbox gives it.
QSizeF PageSize(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    const auto m = page.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

}  // namespace

class TestPrint : public QObject {
    Q_OBJECT

private slots:
    // Every text of the report at its place, in order; the rotation direction is not printed.
    void englishFileReport()
    {
        test::TestEnv env;
        const QList<DrawOp> ops = ComputeReport(KnownSet(), Source(false, true, "abc.kzd"));
        QVERIFY(ops.size() > 2);
        const int L = ops[1].y;  // the date line
        QVERIFY2(L >= 220 && L <= 440, qPrintable(QString::number(L)));  // one line of an 11 pt font
        QCOMPARE(ops[1].x, 0);
        QVERIFY(ops[1].text.contains(QStringLiteral("  ")));
        QVERIFY(ops[1].text.contains(QStringLiteral("07")));  // the minutes, in any locale's format

        QList<DrawOp> rest = ops;
        rest.removeAt(1);
        const QList<Placed> expected = ExpectedEnglishFileReport(L);
        QCOMPARE(rest.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QString where = QStringLiteral("item %1 \"%2\"").arg(i).arg(expected[i].text);
            QVERIFY2(rest[i].x == expected[i].x && rest[i].y == expected[i].y,
                     qPrintable(where + QStringLiteral(" at %1,%2").arg(rest[i].x).arg(rest[i].y)));
            QCOMPARE(rest[i].text, expected[i].text);
        }
        for (const DrawOp &op : ops) {
            QCOMPARE(op.pointSize, 11);
            QCOMPARE(op.fontFamily, ops[0].fontFamily);
        }
    }

    // The file name line belongs to a printed file only; with no choice at all only the title and
    // the date are printed.
    void fileNameLine_data()
    {
        QTest::addColumn<bool>("screen");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("fileLine");
        QTest::addColumn<int>("count");
        // The file report of englishFileReport: title, date and 43 more.
        QTest::newRow("file") << false << true << true << 45;
        QTest::newRow("screen") << true << false << false << 44;
        QTest::newRow("neither") << false << false << false << 2;
    }
    void fileNameLine()
    {
        QFETCH(bool, screen);
        QFETCH(bool, file);
        QFETCH(bool, fileLine);
        QFETCH(int, count);
        test::TestEnv env;
        const QList<DrawOp> ops = ComputeReport(KnownSet(), Source(screen, file, "abc.kzd"));
        QCOMPARE(ops.size(), count);
        const DrawOp *line = OpAt(ops, 1500, 900);
        QCOMPARE(line != nullptr, fileLine);
        if (line)
            QCOMPARE(line->text, QStringLiteral("File Name:abc.kzd"));
        for (const DrawOp &op : ops)
            QVERIFY2(!op.text.contains(QStringLiteral("abc")) || fileLine, qPrintable(op.text));
        if (count > 2) {
            QVERIFY(OpAt(ops, 1500, 1200));
            QCOMPARE(OpAt(ops, 7000, 2000)->text, QStringLiteral(" 400 "));
        }
    }

    // Captions in the current language, and a font that has the glyphs for them.
    void languages_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("heads");
        QTest::addColumn<QString>("row1");
        QTest::addColumn<QString>("moving");
        QTest::addColumn<QString>("sensor");
        QTest::addColumn<QString>("fileLine");
        QTest::addColumn<QString>("fontKind");
        QTest::newRow("English")
            << kEnglishOffset << QStringList{"VEL", "ACC", "DEC", "Pausing time", "Position(pulse)"}
            << "Position 1" << "=== Moving Settings " + Rule(54) << "Separate timer"
            << "File Name:abc.kzd" << "Gothic";
        QTest::newRow("Japanese")
            << 0 << QStringList{"速度", "加速", "減速", "停止時間", "位置（ﾊﾟﾙｽ）"} << "位置１"
            << "=== 動作設定 " + Rule(54) << "ｾﾊﾟﾚｰﾄﾀｲﾏ" << "ファイル名:abc.kzd" << "Mincho";
    }
    void languages()
    {
        QFETCH(int, offset);
        QFETCH(QStringList, heads);
        QFETCH(QString, row1);
        QFETCH(QString, moving);
        QFETCH(QString, sensor);
        QFETCH(QString, fileLine);
        QFETCH(QString, fontKind);
        test::TestEnv env;
        LangOffset = offset;
        const QList<DrawOp> ops = ComputeReport(KnownSet(), Source(false, true, "abc.kzd"));
        const int xs[] = {2500, 3500, 4500, 5500, 7000};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(OpAt(ops, xs[i], 1600)->text, heads[i]);
        QCOMPARE(OpAt(ops, 1500, 2000)->text, row1);
        QCOMPARE(OpAt(ops, 1500, 1200)->text, moving);
        QCOMPARE(OpAt(ops, 1500, 900)->text, fileLine);
        const int firstSensorRow = ops[1].y + 3600 + 400;
        QCOMPARE(OpAt(ops, 1500, firstSensorRow)->text, sensor);

        // The family asked for is string 224; this machine may not have it, but what is painted
        // must draw Japanese, and keep to its kind when it stands in.
        const QString family = ops[0].fontFamily;
        QVERIFY2(SupportsJapanese(family), qPrintable(family));
        if (!QFontDatabase::families().contains(Str(224), Qt::CaseInsensitive))
            QVERIFY2(family.contains(fontKind, Qt::CaseInsensitive), qPrintable(family));
        else
            QCOMPARE(family.toLower(), Str(224).toLower());
    }

    void fontFallback_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("kind");
        QTest::newRow("installed family kept") << "IPAGothic" << "IPAGothic";
        QTest::newRow("Japanese Mincho name") << "ＭＳ 明朝" << "Mincho";
        QTest::newRow("English Gothic name") << "MS GOTHIC" << "Gothic";
        QTest::newRow("unknown family") << "No Such Family 123" << "";
    }
    void fontFallback()
    {
        QFETCH(QString, requested);
        QFETCH(QString, kind);
        if (!QFontDatabase::families().contains(QStringLiteral("IPAGothic")) ||
            !QFontDatabase::families().contains(QStringLiteral("IPAMincho")))
            QSKIP("the IPA fonts are not installed");
        if (QFontDatabase::families().contains(requested, Qt::CaseInsensitive) && requested != QStringLiteral("IPAGothic"))
            QSKIP("the requested family is installed here");
        const QString family = ReportFontFamily(requested);
        QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
        QVERIFY2(SupportsJapanese(family), qPrintable(family));
        QVERIFY2(family.contains(kind, Qt::CaseInsensitive), qPrintable(family));
    }

    void numbers_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << " 0 ";
        QTest::newRow("position") << 400 << " 400 ";
        QTest::newRow("widest position") << 16777215 << " 16777215 ";
        QTest::newRow("negative: the sign takes the space") << -5 << "-5 ";
    }
    void numbers()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(ReportNumber(value), text);
    }

    // The page printed through QPrinter to PDF: every text where the draw list puts it, nothing
    // past the printable area.
    void pdfReadBack_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("English") << kEnglishOffset << QPageSize::A4;
        QTest::newRow("Japanese") << 0 << QPageSize::A4;
        // Narrower than the longest rule: it must be squeezed onto the page, not cut.
        QTest::newRow("English on A5") << kEnglishOffset << QPageSize::A5;
    }
    void pdfReadBack()
    {
        QFETCH(int, offset);
        QFETCH(QPageSize::PageSizeId, paper);
        test::TestEnv env;
        LangOffset = offset;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(paper));

        const ParameterSet staged = KnownSet();
        frmPrintSelect::PrintScreenData = false;
        frmPrintSelect::PrintFileData = true;
        frmPrintSelect::PrintFileTitle = QStringLiteral("abc.kzd");
        QVERIFY(PrintSetData(staged, printer));

        const QList<PdfWord> words = ReadWords(pdf);
        ExpectReportPage(words, printer.pageLayout().paintRectPoints(),
                         ComputeReport(KnownSet(), Source(false, true, "abc.kzd")));
    }

    // Save Report as PDF writes the page Print prints: same words in the same places, on A4 whatever
    // the report printer was set up for, and both match the report's draw list.
    void savedPdfIsThePrintedPage_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("English") << kEnglishOffset;
        QTest::newRow("Japanese") << 0;
    }
    void savedPdfIsThePrintedPage()
    {
        QFETCH(int, offset);
        test::TestEnv env;
        LangOffset = offset;
        QTemporaryDir dir;
        const ParameterSet staged = KnownSet();
        frmPrintSelect::PrintScreenData = false;
        frmPrintSelect::PrintFileData = true;
        frmPrintSelect::PrintFileTitle = QStringLiteral("abc.kzd");

        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QVERIFY(PrintSetData(staged, printer));
        const QString saved = dir.filePath(QStringLiteral("saved.pdf"));
        QString reason;
        QVERIFY2(WriteReportPdf(staged, saved, &reason), qPrintable(reason));
        QVERIFY(reason.isEmpty());

        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
        const QSizeF page = PageSize(saved);
        QVERIFY2(qAbs(page.width() - a4.width()) < 1 && qAbs(page.height() - a4.height()) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        const QList<PdfWord> words = ReadWords(saved);
        const QRectF area = printer.pageLayout().paintRectPoints();
        ExpectReportPage(words, area, ComputeReport(KnownSet(), Source(false, true, "abc.kzd")));
        if (QTest::currentTestFailed())
            return;

        // Word for word the printed page; the date line may have ticked between the two.
        const auto withoutDate = [&](QList<PdfWord> all) {
            all.removeIf([&](const PdfWord &w) { return w.box.top() > area.top() + 5 && w.box.top() < area.top() + 40; });
            return all;
        };
        const QList<PdfWord> fromPrint = withoutDate(ReadWords(printed));
        const QList<PdfWord> fromSave = withoutDate(words);
        QCOMPARE(fromSave.size(), fromPrint.size());
        for (qsizetype i = 0; i < fromSave.size(); ++i) {
            QCOMPARE(fromSave[i].text, fromPrint[i].text);
            QVERIFY2((fromSave[i].box.topLeft() - fromPrint[i].box.topLeft()).manhattanLength() < 0.1,
                     qPrintable(fromSave[i].text));
        }
    }

    // A full disk: the reason is said, no part of the new file is left, and a file that was there
    // keeps what it held.
    void pdfOnAFullDisk_data()
    {
        QTest::addColumn<QByteArray>("before");  // "-": no file there
        QTest::newRow("new file") << QByteArray("-");
        QTest::newRow("file replaced") << QByteArray("%PDF- an earlier report");
    }
    void pdfOnAFullDisk()
    {
        QFETCH(QByteArray, before);
        test::TestEnv env;
        QTemporaryDir dir;
        const ParameterSet staged = KnownSet();
        frmPrintSelect::PrintScreenData = true;
        frmPrintSelect::PrintFileData = false;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        if (before != "-") {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(before);
        }
        QString reason;
        {
            test::FileSizeLimit full;
            QVERIFY(full.active());
            QVERIFY(!WriteReportPdf(staged, path, &reason));
        }
        QCOMPARE(reason, QStringLiteral("%1: File too large").arg(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 before == "-" ? QStringList{} : QStringList{QStringLiteral("report.pdf")});
        if (before != "-") {
            QFile kept(path);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), before);
        }
    }

    void pdfFileName_data()
    {
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("new data") << "New data" << "New data.pdf";
        QTest::newRow("read from the controller") << "Inside of C/T" << "Inside of C_T.pdf";
        QTest::newRow("Japanese") << "ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ" << "ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ.pdf";
        QTest::newRow("characters no file system takes") << "a\\b:c*d?e\"f<g>h|i" << "a_b_c_d_e_f_g_h_i.pdf";
    }
    void pdfFileName()
    {
        QFETCH(QString, dataName);
        QFETCH(QString, fileName);
        QCOMPARE(ReportPdfName(dataName), fileName);
    }
};

QTEST_MAIN(TestPrint)
#include "test_print.moc"
