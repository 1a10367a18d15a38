#include "core/prompts.h"

#include <cstdio>

namespace kz {

namespace {

// Until a program installs prompts of its own: messages go to the error output, every question
// takes its cautious answer (Cancel, or No), and no file or printer is chosen.
class ConsolePrompts final : public Prompts {
public:
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"))));
        switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
        }
        return MsgAnswer::Cancel;
    }
    FileDialogResult openFile(const FileDialogRequest &) override { return {}; }
    FileDialogResult saveFile(const FileDialogRequest &) override { return {}; }
    bool printDialog(QPrinter *) override { return false; }
    bool pageSetupDialog(QPrinter *) override { return false; }
    void beep() override {}
    void table(const TableRequest &request) override
    {
        std::fprintf(stderr, "%s\n%s", qPrintable(request.caption), qPrintable(TableText(request)));
    }
};

Prompts *&Production()
{
    static Prompts *production = nullptr;
    return production;
}

Prompts *&Current()
{
    static Prompts *current = nullptr;
    return current;
}

}  // namespace

QString TableText(const TableRequest &table)
{
    QString text = table.headers.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QStringList &row : table.rows)
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

Prompts &prompts()
{
    static ConsolePrompts console;
    if (Prompts *p = Current())
        return *p;
    return Production() ? *Production() : console;
}

void SetPrompts(Prompts *p)
{
    Current() = p;
}

void SetProductionPrompts(Prompts *p)
{
    Production() = p;
}

QString ToQtFilter(const QString &pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (desc.isEmpty() && patterns.isEmpty())
            continue;
        // Qt reads the patterns from the last parentheses of the entry; add them when the
        // description does not already end with the same list.
        if (desc.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters << desc;
        else
            filters << desc + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

}  // namespace kz
