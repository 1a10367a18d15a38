#include "app/command_line.h"

#include "core/strings.h"
#include "core/version.h"

#include <QCommandLineParser>

namespace kz {

namespace {

struct Parser {
    Parser()
    {
        parser.setApplicationDescription(Str(3160));
        parser.addPositionalArgument(QStringLiteral("file"), Str(3161), QStringLiteral("[FILE.kzd]"));
        parser.addOption(commLog);
    }
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption commLog{QStringLiteral("comm-log"), Str(3219), QStringLiteral("LOGFILE")};
};

}  // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    Parser p;
    CommandLine line;
    const bool parsed = p.parser.parse(arguments);
    // Help and version win over anything else on the line, as they do in every Qt tool.
    if (p.parser.isSet(p.help) || p.parser.isSet(QStringLiteral("help-all"))) {
        line.action = CommandLine::Action::Help;
    } else if (p.parser.isSet(p.version)) {
        line.action = CommandLine::Action::Version;
    } else if (!parsed) {
        line.action = CommandLine::Action::Error;
        line.error = p.parser.errorText();
    } else if (p.parser.positionalArguments().size() > 1) {
        line.action = CommandLine::Action::Error;
        line.error = Str(3162);
    } else {
        if (!p.parser.positionalArguments().isEmpty())
            line.dataFile = p.parser.positionalArguments().constFirst();
        line.commLog = p.parser.value(p.commLog);
    }
    return line;
}

QString CommandLineHelp()
{
    return Parser().parser.helpText();
}

QString CommandLineVersion()
{
    return QStringLiteral("kzpc ") + PlainVersionText() + QLatin1Char('\n');
}

}  // namespace kz
