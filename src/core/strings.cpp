#include "core/strings.h"

#include <QFile>
#include <QHash>
#include <QDebug>

namespace kz {

int LangOffset = kEnglishOffset;

namespace {

QHash<int, QString> LoadTable()
{
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/strings.tsv"));
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical("string table resource missing");
        return table;
    }
    const QString all = QString::fromUtf8(file.readAll());
    const auto lines = all.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int id = tab > 0 ? line.left(tab).toInt(&ok) : 0;
        if (!ok) {
            qWarning() << "string table: bad line" << line;
            continue;
        }
        table.insert(id, line.mid(tab + 1));
    }
    return table;
}

const QHash<int, QString> &Table()
{
    static const QHash<int, QString> table = LoadTable();
    return table;
}

}  // namespace

std::optional<QString> LookupString(int id)
{
    const auto &table = Table();
    const auto it = table.constFind(id);
    if (it == table.constEnd())
        return std::nullopt;
    return *it;
}

QString Str(int baseId)
{
    if (auto text = LookupString(baseId + LangOffset))
        return *text;
    qWarning() << "string table: no entry" << baseId + LangOffset;
    return {};
}

QString StrLines(std::initializer_list<int> baseIds)
{
    QStringList parts;
    for (int id : baseIds)
        parts << Str(id);
    return parts.join(QStringLiteral("\r\n"));
}

int StringCount()
{
    return int(Table().size());
}

int LeadingNumber(const QString &text, bool *found)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    bool any = false;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > 0x7fffffff)
            value = 0x7fffffff;
        any = true;
        ++i;
    }
    if (found)
        *found = any;
    return int(negative ? -value : value);
}

}  // namespace kz
