#include "printing/report.h"

#include "core/strings.h"
#include "params/field_table.h"
#include "printing/frmPrintSelect.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <array>

namespace kz {

namespace {

using enum Field;

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;

// Columns of the moving settings: the row caption, then one column per field of a position row.
constexpr int kCaptionX = 1500;
constexpr std::array kPositionColumnsX = {2500, 3500, 4500, 5500, 7000};
constexpr std::array kPosition1Row = {Vel1, Acc1, Dec1, PauseTime1, Position1};
constexpr std::array kPosition2Row = {Vel2, Acc2, Dec2, PauseTime2, Position2};
static_assert(kPositionColumnsX.size() == kPosition1Row.size() && kPosition1Row.size() == kPosition2Row.size());

// The sensor and homing sections: caption and value per row.
constexpr int kValueX = 4500;
constexpr std::array kSensorRows = {SeparateTimer, SupplyCounter,   RestartDelay, MidDetectCounter,
                                    NoWorkCounter, TipWorkOffTimer, Sp1};
constexpr std::array kHomingRows = {HomingVel, HomingPulse, OffsetVel, HomeOffset};

// Room kept between a text and the next column.
constexpr int kColumnGap = 60;

constexpr int kRowStep = 400;
constexpr int kSectionStep = 600;

// A section heading: "=== caption " and a rule of '=' whose length is part of the heading's design.
QString Heading(int captionId, int ruleLength)
{
    return QStringLiteral("=== ") + Str(captionId) + QLatin1Char(' ') + QString(ruleLength, QLatin1Char('='));
}

// The printer's current line: a text printed with line end moves to the start of the next line; one
// printed without line end stays on it. Every text here is given its own x, so only y is carried.
class Cursor {
public:
    Cursor(QString family, int lineHeight) : family_(std::move(family)), lineHeight_(lineHeight) {}

    void setY(int y) { y_ = y; }
    void addY(int dy) { y_ += dy; }

    // nextColumnX: where the next text of the line starts, 0 for none.
    void print(int x, const QString &text, int nextColumnX = 0)
    {
        const int room = nextColumnX > x ? nextColumnX - x - kColumnGap : 0;
        ops_.append({x, y_, text, family_, kReportPointSize, room});
    }
    void printLine(int x, const QString &text)
    {
        print(x, text);
        y_ += lineHeight_;
    }

    QList<DrawOp> take() { return std::move(ops_); }

private:
    QString family_;
    int lineHeight_;
    int y_ = 0;
    QList<DrawOp> ops_;
};

template <std::size_t N>
void PrintSection(Cursor &page, const ParameterSet &set, const std::array<Field, N> &rows)
{
    for (Field field : rows) {
        page.addY(kRowStep);
        page.print(kCaptionX, Str(Info(field).captionId), kValueX);
        page.print(kValueX, ReportNumber(ValueOf(set, field)));
    }
}

QString FindInstalled(const QStringList &installed, const QString &name)
{
    for (const QString &family : installed)
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    return {};
}

// Why the printer's output file cannot be written, or empty when it can. A file made only to find
// out is removed again.
QString OutputFileProblem(const QString &path)
{
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    file.close();
    if (!existed)
        file.remove();
    return {};
}

}  // namespace

QString ReportFontFamily(const QString &requested)
{
    const QStringList installed = QFontDatabase::families();
    if (QString found = FindInstalled(installed, requested); !found.isEmpty())
        return found;

    // Fixed-pitch families first: the report's columns were laid out for one.
    static const QStringList minchos = {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"),
                                        QStringLiteral("Noto Serif CJK JP")};
    static const QStringList gothics = {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                                        QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")};
    const bool mincho = requested.contains(QStringLiteral("明朝")) ||
                        requested.contains(QLatin1String("mincho"), Qt::CaseInsensitive);
    for (const QStringList *list : {mincho ? &minchos : &gothics, mincho ? &gothics : &minchos})
        for (const QString &name : *list)
            if (QString found = FindInstalled(installed, name); !found.isEmpty())
                return found;

    for (const QString &family : QFontDatabase::families(QFontDatabase::Japanese))
        if (!QFontDatabase::isPrivateFamily(family))
            return family;
    return requested;  // nothing better installed: let the font matcher choose
}

int ReportLineHeight(const QString &family, int pointSize)
{
    // Measured at ten pixels to the twip, so neither the screen's resolution nor hinting enters.
    constexpr int kScale = 10;
    QFont font(family);
    font.setPixelSize(pointSize * kTwipsPerPoint * kScale);
    font.setHintingPreference(QFont::PreferNoHinting);
    return qRound(QFontMetricsF(font).lineSpacing() / kScale);
}

QString ReportNumber(qint32 value)
{
    const QString digits = QString::number(value);
    return (value < 0 ? digits : QLatin1Char(' ') + digits) + QLatin1Char(' ');
}

QList<DrawOp> ComputeReport(const ParameterSet &set, const ReportSource &source)
{
    const QString family = ReportFontFamily(Str(224));
    Cursor page(family, ReportLineHeight(family));

    const QLocale locale = QLocale::system();
    page.printLine(0, QStringLiteral("KZ PC-Software"));
    page.printLine(0, locale.toString(source.printedAt.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
                          locale.toString(source.printedAt.time(), QLocale::ShortFormat));
    if (!source.screenData && !source.fileData)
        return page.take();

    if (source.fileData) {
        page.setY(900);
        page.printLine(kCaptionX, Str(14) + QLatin1Char(':') + source.fileTitle);
    }

    page.setY(1200);
    page.printLine(kCaptionX, Heading(28, 54));

    // Column heads: the captions of the position fields; the caption column has none.
    page.setY(1600);
    const auto nextColumn = [](std::size_t i) {
        return i + 1 < kPositionColumnsX.size() ? kPositionColumnsX[i + 1] : 0;
    };
    for (std::size_t i = 0; i < kPosition1Row.size(); ++i)
        page.print(kPositionColumnsX[i], Str(Info(kPosition1Row[i]).captionId), nextColumn(i));

    const auto positionRow = [&](int captionId, const auto &fields) {
        page.addY(kRowStep);
        page.print(kCaptionX, Str(captionId), kPositionColumnsX[0]);
        for (std::size_t i = 0; i < fields.size(); ++i)
            page.print(kPositionColumnsX[i], ReportNumber(ValueOf(set, fields[i])), nextColumn(i));
    };
    positionRow(GroupCaptionId(ParamGroup::Position1), kPosition1Row);
    positionRow(GroupCaptionId(ParamGroup::Position2), kPosition2Row);

    page.addY(kSectionStep);
    page.addY(kSectionStep);
    page.printLine(kCaptionX, Heading(GroupCaptionId(ParamGroup::Sensor), 45));
    PrintSection(page, set, kSensorRows);

    page.addY(kSectionStep);
    page.printLine(kCaptionX, Heading(GroupCaptionId(ParamGroup::Homing), 42));
    PrintSection(page, set, kHomingRows);

    return page.take();
}

namespace {

// The draw operations onto a started painter of a printer or PDF writer.
template <class Device>
void PaintOps(const QList<DrawOp> &ops, QPainter &painter, Device &device)
{
    const double scale = double(device.resolution()) / kTwipsPerInch;
    for (const DrawOp &op : ops) {
        QFont font(op.fontFamily);
        font.setPointSize(op.pointSize);
        painter.setFont(font);
        const QFontMetricsF metrics(font, &device);
        const double x = op.x * scale;
        double room = device.width() - x;
        if (op.maxWidth > 0)
            room = std::min(room, op.maxWidth * scale);
        const double width = metrics.horizontalAdvance(op.text);

        painter.save();
        // The position is the top of the line; the painter places text on its baseline.
        painter.translate(x, op.y * scale + metrics.ascent());
        if (width > room && room > 0)
            painter.scale(room / width, 1.0);
        painter.drawText(QPointF(0, 0), op.text);
        painter.restore();
    }
}

}  // namespace

bool PaintReport(const QList<DrawOp> &ops, QPrinter &printer, QString *reason)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        // The painter tells no reason; the one case with a known reason is an output file.
        if (reason && !printer.outputFileName().isEmpty())
            *reason = OutputFileProblem(printer.outputFileName());
        return false;
    }
    PaintOps(ops, painter, printer);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

bool PaintReport(const QList<DrawOp> &ops, QPdfWriter &writer)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    PaintOps(ops, painter, writer);
    return painter.end();
}

QList<DrawOp> SetDataReport(const ParameterSet &set)
{
    ReportSource source;
    source.screenData = frmPrintSelect::PrintScreenData;
    source.fileData = frmPrintSelect::PrintFileData;
    source.fileTitle = frmPrintSelect::PrintFileTitle;
    source.printedAt = QDateTime::currentDateTime();
    return ComputeReport(set, source);
}

bool PrintSetData(const ParameterSet &set, QPrinter &printer, QString *reason)
{
    return PaintReport(SetDataReport(set), printer, reason);
}

}  // namespace kz
