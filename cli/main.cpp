// kzpc-cli: reads, writes, verifies and switches many KZ controllers at once, without a display.

#include "fleet.h"

#include "core/prompts.h"
#include "core/settings.h"
#include "core/strings.h"
#include "core/version.h"
#include "files/data_file.h"
#include "files/verify.h"
#include "link/ct_frames.h"
#include "link/link.h"
#include "params/check_chain.h"
#include "params/data_image.h"
#include "params/field_table.h"
#include "params/parameter_set.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace kz;
using namespace kzcli;

namespace {

constexpr auto kDescription = R"(Reads, writes, verifies and switches KZ controllers, many at once.

Commands:
  read PORT... [-o FILE | -d DIR]
      Reads each controller into a data file: with one port into FILE, with several
      into DIR, one file per port named after it (COM3.kzd, ttyUSB0.kzd,
      127.0.0.1_4001.kzd).
  write FILE PORT... [--no-reset]
      Checks FILE as the tool does (file rules and accepted ranges), writes it, reads
      the controller back and compares every parameter, then resets the controller
      ("0CM3") unless --no-reset. A port whose read-back differs fails, naming the fields.
  verify FILE PORT...
      Compares each controller with FILE; each difference is shown with both values.
  version PORT...
      Shows each controller's firmware version.
  mode external|communication PORT...
      Switches each controller to external start mode or communication mode.

PORT is COM1 to COM32 (resolved as the tool resolves them: the ports folder beside the
settings, else /dev/ttyS{n-1}), a device path (/dev/ttyUSB0), or a network port
tcp://HOST:PORT (a raw TCP connection to a serial device server).

All ports run at the same time. The output is one line per port: the port, its result
(ok, failed, stopped) and a message, in the language of --lang or else the stored
Language setting. On a terminal a progress line is shown while the ports work. --json
prints one JSON array instead, one object per port.

Ctrl+C stops every port before its next frame; the report then tells, for each port,
which blocks were written and which were not.

Exit status: 0 when every port succeeded, 1 when any failed or was stopped, 2 for a
usage error.)";

// Messages that the shared checks would show in a box become the failure text.
class CapturedPrompts final : public Prompts {
public:
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon) override
    {
        last = text;
        last.replace(QLatin1String("\r\n"), QLatin1String(" "));
        last = last.simplified();
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::No
                                                                                  : MsgAnswer::Cancel;
    }
    FileDialogResult openFile(const FileDialogRequest &) override { return {}; }
    FileDialogResult saveFile(const FileDialogRequest &) override { return {}; }
    bool printDialog(QPrinter *) override { return false; }
    bool pageSetupDialog(QPrinter *) override { return false; }
    // Differences are printed with both values by the command itself.
    void table(const TableRequest &) override {}
    void beep() override {}
    QString last;
};

int g_signalWrite = -1;

void OnSigint(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalWrite, &byte, 1);
}

QString FileNameFor(const QString &port)
{
    QString name = port;
    if (name.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive))
        name = name.mid(6);
    else if (name.contains(QLatin1Char('/')))
        name = QFileInfo(name).fileName();
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name + QStringLiteral(".kzd");
}

QString ResultWord(Result r)
{
    switch (r) {
    case Result::Ok: return QStringLiteral("ok");
    case Result::Stopped: return QStringLiteral("stopped");
    default: return QStringLiteral("failed");
    }
}

QString LocalResultWord(Result r)
{
    switch (r) {
    case Result::Ok: return Str(3315);
    case Result::Stopped: return Str(3317);
    default: return Str(3316);
    }
}

int UsageError(const QString &text)
{
    std::fprintf(stderr, "kzpc-cli: %s\n(kzpc-cli --help tells more)\n", qPrintable(text));
    return 2;
}

// Reads FILE and checks it as the window does before a write: 0 and the set, or 1 with the
// message the window would have shown.
int LoadChecked(const QString &path, CapturedPrompts &prompts, ParameterSet *set, QString *error)
{
    if (ReadDataFile(path) == 1) {
        *error = prompts.last;
        return 1;
    }
    Hensu = Temp;
    if (Check_DataRange(true) == 1) {
        *error = prompts.last;
        return 1;
    }
    *set = Hensu;
    return 0;
}

// "caption: file F, controller C" for each difference (staged: the controller, current: the file).
QString DifferenceText(const QList<VerifyDifference> &diffs, PortJob &job)
{
    QStringList parts;
    for (const VerifyDifference &d : diffs) {
        const QString caption = FieldDisplayName(d.field);
        job.differences.append({caption, {d.screen, d.other}});
        parts.append(Str(3310).arg(caption).arg(d.screen).arg(d.other));
    }
    return parts.join(QLatin1String("; "));
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kzpc-cli"));
    QCoreApplication::setApplicationVersion(PlainVersionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption outOpt({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("read, one port: the data file to write."), QStringLiteral("FILE"));
    const QCommandLineOption dirOpt({QStringLiteral("d"), QStringLiteral("dir")},
                                    QStringLiteral("read: the folder for one data file per port."), QStringLiteral("DIR"));
    const QCommandLineOption noResetOpt(QStringLiteral("no-reset"),
                                        QStringLiteral("write: leave the controller without the reset."));
    const QCommandLineOption jsonOpt(QStringLiteral("json"), QStringLiteral("One JSON array on stdout, one object per port."));
    const QCommandLineOption langOpt(QStringLiteral("lang"), QStringLiteral("Messages in Japanese (ja) or English (en)."),
                                     QStringLiteral("ja|en"));
    parser.addOptions({outOpt, dirOpt, noResetOpt, jsonOpt, langOpt});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("read, write, verify, version or mode."));
    parser.addPositionalArgument(QStringLiteral("args"), QStringLiteral("FILE, mode and PORTs, by command."),
                                 QStringLiteral("[args...]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("kzpc-cli %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }

    // Language: --lang, else the stored setting.
    LoadLanguage();
    if (parser.isSet(langOpt)) {
        const QString lang = parser.value(langOpt);
        if (lang == QLatin1String("ja"))
            LangOffset = 0;
        else if (lang == QLatin1String("en"))
            LangOffset = kEnglishOffset;
        else
            return UsageError(QStringLiteral("--lang wants ja or en"));
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return UsageError(QStringLiteral("no command"));
    const QString command = args.takeFirst();
    QString file;
    QString mode;
    if (command == QLatin1String("write") || command == QLatin1String("verify")) {
        if (args.isEmpty())
            return UsageError(command + QStringLiteral(": FILE and at least one PORT wanted"));
        file = args.takeFirst();
    } else if (command == QLatin1String("mode")) {
        if (args.isEmpty() || (args.first() != QLatin1String("external") && args.first() != QLatin1String("communication")))
            return UsageError(QStringLiteral("mode: external or communication wanted"));
        mode = args.takeFirst();
    } else if (command != QLatin1String("read") && command != QLatin1String("version")) {
        return UsageError(QStringLiteral("unknown command '%1'").arg(command));
    }
    const QStringList ports = args;
    if (ports.isEmpty())
        return UsageError(command + QStringLiteral(": at least one PORT wanted"));
    // Two names of one device (COM1 and the device its link points to) would have two jobs fight
    // over one line: refused like a port named twice.
    QHash<QString, QString> nameOfDevice;
    for (const QString &p : ports) {
        const QString device = ResolvePortName(p);
        if (device.isEmpty())
            return UsageError(Str(3301).arg(p));
        if (ports.count(p) > 1)
            return UsageError(QStringLiteral("%1 is named twice").arg(p));
        const QString canonical = QFileInfo(device).canonicalFilePath();
        const QString key = IsNetworkAddress(device) || canonical.isEmpty() ? device.toLower() : canonical;
        if (nameOfDevice.contains(key))
            return UsageError(QStringLiteral("%1 and %2 are the same device (%3)").arg(nameOfDevice.value(key), p, key));
        nameOfDevice.insert(key, p);
    }
    if (command == QLatin1String("read")) {
        if (parser.isSet(outOpt) && parser.isSet(dirOpt))
            return UsageError(QStringLiteral("read: -o and -d exclude each other"));
        if (parser.isSet(outOpt) && ports.size() > 1)
            return UsageError(QStringLiteral("read: -o names one file; with several ports use -d DIR"));
        if (!parser.isSet(outOpt) && !parser.isSet(dirOpt))
            return UsageError(QStringLiteral("read: -o FILE or -d DIR wanted"));
        // A folder named for the backup is made when it does not exist yet.
        if (parser.isSet(dirOpt) && !QDir().mkpath(parser.value(dirOpt)))
            return UsageError(QStringLiteral("read: the folder %1 cannot be made").arg(parser.value(dirOpt)));
    } else if (parser.isSet(outOpt) || parser.isSet(dirOpt)) {
        return UsageError(QStringLiteral("-o and -d belong to read"));
    }
    if (parser.isSet(noResetOpt) && command != QLatin1String("write"))
        return UsageError(QStringLiteral("--no-reset belongs to write"));

    CapturedPrompts prompts;
    SetPrompts(&prompts);

    ParameterSet fileSet;
    QList<int> writeSlots;
    BlockTable blocks;
    const QString fileName = QFileInfo(file).fileName();
    if (!file.isEmpty()) {
        QString error;
        if (LoadChecked(file, prompts, &fileSet, &error) == 1) {
            std::fprintf(stderr, "kzpc-cli: %s: %s\n", qPrintable(file), qPrintable(error));
            return 1;
        }
        if (command == QLatin1String("write")) {
            if (SetData2PSDA(true) == 1) {
                std::fprintf(stderr, "kzpc-cli: %s: %s\n", qPrintable(file), qPrintable(prompts.last));
                return 1;
            }
            blocks = PSDA;
            writeSlots = WriteSlots(true);
        }
    }

    QList<PortJob *> jobs;
    for (const QString &port : ports) {
        auto *job = new PortJob(port, &app);
        jobs.append(job);
        AddCommMode(*job);
        if (command == QLatin1String("read")) {
            const QString target = parser.isSet(outOpt) ? parser.value(outOpt)
                                                        : QDir(parser.value(dirOpt)).filePath(FileNameFor(port));
            AddReadBlocks(*job, [job, target] {
                ParameterSet set;
                if (!SetFromReplies(job->replies, &set))
                    return Str(212);
                QString error;
                if (!WriteDataFile(target, set, &error))
                    return Str(3319).arg(target, error);
                return QString();
            });
            job->setDoneMessage([target] { return Str(3304).arg(target); });
        } else if (command == QLatin1String("write")) {
            for (int slot : writeSlots) {
                Step step{QLatin1String(kWriteCommand), kBlockReplyLength, blocks[slot], kBlockTimeoutMs, false,
                          blocks[slot].left(2), {}};
                job->add(std::move(step));
            }
            AddCommMode(*job);
            AddReadBlocks(*job, [job, fileSet] {
                ParameterSet readBack;
                if (!SetFromReplies(job->replies, &readBack))
                    return Str(212);
                const auto diffs = VerifyDifferences(readBack, fileSet, true);
                return diffs.isEmpty() ? QString() : Str(3307).arg(DifferenceText(diffs, *job));
            });
            const bool reset = !parser.isSet(noResetOpt);
            if (reset) {
                AddCommMode(*job);
                job->add({QLatin1String(kResetFrame), 0, QString(), 1000, true, {}, {}});
            }
            job->setDoneMessage([reset] { return Str(reset ? 3306 : 3305); });
        } else if (command == QLatin1String("verify")) {
            AddReadBlocks(*job, [job, fileSet, fileName] {
                ParameterSet fromController;
                if (!SetFromReplies(job->replies, &fromController))
                    return Str(212);
                const auto diffs = VerifyDifferences(fromController, fileSet, true);
                return diffs.isEmpty() ? QString() : Str(3309).arg(fileName, DifferenceText(diffs, *job));
            });
            job->setDoneMessage([fileName] { return Str(3308).arg(fileName); });
        } else if (command == QLatin1String("version")) {
            job->add({QLatin1String(kVersionCommand), kVersionReplyLength, QString(), kBlockTimeoutMs, false, {},
                      [job] {
                          job->version = VersionOf(job->link().RecvData);
                          return QString();
                      }});
            job->setDoneMessage([job] { return Str(3311).arg(job->version); });
        } else if (mode == QLatin1String("external")) {
            job->add({QLatin1String(kExternalModeFrame), kCommModeReplyLength, QString(), kBlockTimeoutMs, false, {},
                      [job] {
                          return job->link().RecvData.left(4) == QLatin1String(kExternalModeFrame)
                                     ? QString()
                                     : Str(212);
                      }});
            job->setDoneMessage([] { return Str(229); });
        } else {
            job->setDoneMessage([] { return Str(230); });
        }
    }

    // Ctrl+C: every port stops before its next frame.
    int pipeFds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds) != 0) {
        std::perror("kzpc-cli: socketpair");
        return 1;
    }
    g_signalWrite = pipeFds[1];
    QSocketNotifier sigint(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(&sigint, &QSocketNotifier::activated, &app, [&] {
        char buf[16];
        while (::read(pipeFds[0], buf, sizeof buf) > 0) {
        }
        for (PortJob *job : jobs)
            job->requestStop();
    });
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    const bool json = parser.isSet(jsonOpt);
    const bool progress = !json && ::isatty(STDOUT_FILENO);
    auto showProgress = [&] {
        QStringList parts;
        for (PortJob *job : jobs)
            parts.append(QStringLiteral("%1 %2/%3").arg(job->portName()).arg(job->stepsDone()).arg(job->stepCount()));
        std::printf("\r\033[K%s", qPrintable(parts.join(QLatin1String("  "))));
        std::fflush(stdout);
    };
    // The network connections of all ports are under way before the first port waits for its own.
    for (PortJob *job : jobs)
        job->link().prepare();
    QCoreApplication::processEvents();
    int running = int(jobs.size());
    for (PortJob *job : jobs) {
        if (progress)
            QObject::connect(job, &PortJob::progressed, &app, showProgress);
        QObject::connect(job, &PortJob::finished, &app, [&] {
            if (--running == 0)
                QCoreApplication::quit();
        });
        job->start();
    }
    if (progress)
        showProgress();
    QCoreApplication::exec();
    if (progress)
        std::printf("\r\033[K");

    bool allOk = true;
    QJsonArray out;
    for (PortJob *job : jobs) {
        QString message = job->message();
        if (job->result() != Result::Ok)
            allOk = false;
        const bool writing = command == QLatin1String("write");
        if (writing && job->result() != Result::Ok) {
            const QString none = Str(3314);
            message += QStringLiteral(" (") + Str(3313).arg(job->written().isEmpty() ? none : job->written().join(QLatin1Char(' ')),
                                                            job->notWritten().isEmpty() ? none : job->notWritten().join(QLatin1Char(' ')))
                       + QLatin1Char(')');
        }
        if (json) {
            QJsonObject o{{QStringLiteral("port"), job->portName()},
                          {QStringLiteral("device"), job->link().device()},
                          {QStringLiteral("result"), ResultWord(job->result())},
                          {QStringLiteral("message"), message}};
            if (!job->version.isEmpty())
                o.insert(QStringLiteral("version"), job->version);
            if (!job->link().alarmCode().isEmpty() && job->result() == Result::Failed)
                o.insert(QStringLiteral("alarm"), job->link().alarmCode());
            if (writing) {
                o.insert(QStringLiteral("written"), QJsonArray::fromStringList(job->written()));
                o.insert(QStringLiteral("notWritten"), QJsonArray::fromStringList(job->notWritten()));
            }
            if (!job->differences.isEmpty()) {
                QJsonArray diffs;
                for (const auto &d : job->differences)
                    diffs.append(QJsonObject{{QStringLiteral("field"), d.first},
                                             {QStringLiteral("file"), d.second.first},
                                             {QStringLiteral("controller"), d.second.second}});
                o.insert(QStringLiteral("differences"), diffs);
            }
            out.append(o);
        } else {
            std::printf("%s\t%s\t%s\n", qPrintable(job->portName()), qPrintable(LocalResultWord(job->result())),
                        qPrintable(message));
        }
    }
    if (json)
        std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
    return allOk ? 0 : 1;
}
