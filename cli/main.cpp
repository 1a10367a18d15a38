// kzpc-cli: reads, writes, verifies and switches many KZ controllers at once, without a display.

#include "fleet.h"

#include "core/settings.h"
#include "core/strings.h"
#include "core/version.h"
#include "files/data_file.h"
#include "files/verify.h"
#include "link/ct_frames.h"
#include "link/link.h"
#include "link/tcp_comm_port.h"
#include "params/check_chain.h"
#include "link/controller_session.h"
#include "params/data_image.h"
#include "params/field_table.h"
#include "params/parameter_set.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace kz;
using namespace kzcli;

namespace {

constexpr auto kDescription = R"(Reads, writes, verifies and switches KZ controllers, many at once.

Commands:
  read PORT... -o FILE
  read PORT... -d DIR
      Reads each controller into a data file: with one port into FILE (-o - writes it
      to standard output, and the result line to standard error), with several into
      DIR, one file per port named after it (COM3.kzd, ttyUSB0.kzd, 127.0.0.1_4001.kzd).
      Two ports whose files would have one name are refused before anything is read;
      a file that exists already is replaced, and the result says so.
  write FILE PORT...
  write FILE PORT... --no-reset
      Checks FILE as the tool does (file rules and accepted ranges), writes it, reads
      the controller back and compares every parameter, then resets the controller
      ("0CM3") unless --no-reset. A port whose read-back differs fails, naming the
      fields. A write that does not end well says which blocks were written, which
      were sent without an acknowledgement and which were not sent, whether the
      read-back was compared and whether the controller was reset.
  verify FILE PORT...
      Compares each controller with FILE; each difference is shown with both values.
  version PORT...
      Shows each controller's firmware version.
  mode external PORT...
  mode communication PORT...
      Switches each controller to external start mode or communication mode.

PORT is COM1 to COM32 (resolved as the tool resolves them: the ports folder beside the
settings, else /dev/ttyS{n-1}), a device path (/dev/ttyUSB0), or a network port
tcp://HOST:PORT (a raw TCP connection to a serial device server; PORT 1 to 65535,
an IPv6 address in brackets: tcp://[::1]:4001). One device named twice (COM1 and its
device, or two names of one network address) is refused.

All ports run at the same time; a network port still connecting holds up no other.
The output is one line per port: the port, its result (ok, failed, stopped) and a
message, in the language of --lang or else the stored Language setting. On a terminal
a progress line is shown while the ports work. A line that is lost (a connection
closed by the server, an adapter unplugged) is reported as such.

--json prints one JSON array on standard output instead, in every outcome: one object
per port, or a single object carrying the error. A port's object has:
  port              the port as given
  device            what it resolved to (a device path or tcp://host:port)
  result            "ok", "failed" or "stopped"
  message           the text of the line output
  failure           when not ok: "port", "timeout", "line-lost", "alarm",
                    "echo-mismatch", "length-error", "bad-reply", "differs",
                    "save" or "stopped"
  alarm             the alarm code, when the controller answered with an alarm
  file              read: the data file saved ("-": standard output);
                    write, verify: FILE
  replaced          read: true when an earlier file of that name was replaced
  written           write: the blocks acknowledged ("02", "04", ...)
  unacknowledged    write: the blocks sent without an acknowledgement
  notWritten        write: the blocks not sent
  readBackCompared  write: whether the read-back was compared
  resetSent         write: whether the reset frame was sent
  differences       write, verify: objects group, field, file, controller
  version           version: the controller's firmware version
  mode              mode: "external" or "communication"
The error object: {"port": null, "result": "error", "exitStatus": 1 or 2,
"message": ...}.

Ctrl+C (or SIGTERM) stops every port at once, also while a connection or a reply is
still awaited; the report then tells, for each port, what was done and what was not.

Exit status: 0 when every port succeeded, 1 when any failed or was stopped or FILE
was refused, 2 for a usage error.)";

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

// Set once the arguments say so (or, when they cannot be parsed, when they name --json).
bool g_json = false;

// The one record of a run that ended before any port was tried.
void PrintErrorRecord(int status, const QString &text)
{
    if (!g_json)
        return;
    const QJsonArray out{QJsonObject{{QStringLiteral("port"), QJsonValue::Null},
                                     {QStringLiteral("result"), QStringLiteral("error")},
                                     {QStringLiteral("exitStatus"), status},
                                     {QStringLiteral("message"), text}}};
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

int UsageError(const QString &text)
{
    std::fprintf(stderr, "kzpc-cli: %s\n(kzpc-cli --help tells more)\n", qPrintable(text));
    PrintErrorRecord(2, text);
    return 2;
}

int FileError(const QString &file, const QString &text)
{
    std::fprintf(stderr, "kzpc-cli: %s: %s\n", qPrintable(file), qPrintable(text));
    PrintErrorRecord(1, file + QStringLiteral(": ") + text);
    return 1;
}

// What identifies the device behind a resolved port name: its canonical path, or for a network
// port each address its host resolves to, with the port number.
QStringList DeviceKeys(const QString &device)
{
    QString host;
    quint16 port = 0;
    if (IsNetworkAddress(device) && ParseNetworkAddress(device, &host, &port)) {
        QStringList keys;
        for (QHostAddress address : QHostInfo::fromName(host).addresses()) {
            bool isV4 = false;
            const quint32 v4 = address.toIPv4Address(&isV4);
            if (isV4)
                address = QHostAddress(v4);
            keys.append(QStringLiteral("tcp://%1:%2").arg(address.toString()).arg(port));
        }
        if (keys.isEmpty())
            keys.append(QStringLiteral("tcp://%1:%2").arg(host.toLower()).arg(port));
        return keys;
    }
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return {canonical.isEmpty() ? device : canonical};
}

// Reads FILE and checks it as the window does before a write: the set, or the message the window
// would have shown.
bool LoadChecked(const QString &path, ParameterSet *set, QString *error)
{
    const DataFileRead read = LoadDataFile(path);
    if (!read.ok()) {
        *error = read.message;
    } else if (const QString outOfRange = OutOfRangeFields(read.set, true); !outOfRange.isEmpty()) {
        *error = RangeReportText(outOfRange);
    } else {
        *set = read.set;
        return true;
    }
    error->replace(QLatin1String("\r\n"), QLatin1String(" "));
    *error = error->simplified();
    return false;
}

// "caption: file F, controller C" for each difference (staged: the controller, current: the file).
QString DifferenceText(const QList<VerifyDifference> &diffs, PortRun &job)
{
    QStringList parts;
    for (const VerifyDifference &d : diffs) {
        const QString caption = FieldDisplayName(d.field);
        job.differences.append({Str(GroupCaptionId(Info(d.field).group)).simplified(), caption, d.screen, d.other});
        parts.append(Str(3310).arg(caption).arg(d.screen).arg(d.other));
    }
    return parts.join(QLatin1String("; "));
}

// What a write that did not end well did and did not do.
QString WriteReport(const PortRun &job)
{
    const QString none = Str(3314);
    const auto list = [&none](const QStringList &blocks) {
        return blocks.isEmpty() ? none : blocks.join(QLatin1Char(' '));
    };
    QStringList parts{Str(3313).arg(list(job.account.written), list(job.account.notWritten))};
    if (!job.account.unacknowledged.isEmpty())
        parts.append(Str(3331).arg(list(job.account.unacknowledged)));
    parts.append(Str(job.readBackCompared ? 3324 : 3325));
    parts.append(Str(job.resetSent ? 3326 : 3327));
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
                                    QStringLiteral("read, one port: the data file to write (- for standard output)."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption dirOpt({QStringLiteral("d"), QStringLiteral("dir")},
                                    QStringLiteral("read: the folder for one data file per port."), QStringLiteral("DIR"));
    const QCommandLineOption noResetOpt(QStringLiteral("no-reset"),
                                        QStringLiteral("write: leave the controller without the reset."));
    const QCommandLineOption jsonOpt(QStringLiteral("json"),
                                     QStringLiteral("One JSON array on stdout, in every outcome (see above)."));
    const QCommandLineOption langOpt(QStringLiteral("lang"), QStringLiteral("Messages in Japanese (ja) or English (en)."),
                                     QStringLiteral("ja|en"));
    parser.addOptions({outOpt, dirOpt, noResetOpt, jsonOpt, langOpt});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("read, write, verify, version or mode."));
    parser.addPositionalArgument(QStringLiteral("args"), QStringLiteral("FILE, mode and PORTs, by command."),
                                 QStringLiteral("[args...]"));
    const bool parsed = parser.parse(QCoreApplication::arguments());
    g_json = parsed ? parser.isSet(jsonOpt) : QCoreApplication::arguments().contains(QStringLiteral("--json"));
    if (!parsed)
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
    // Two names of one device (COM1 and the device its link points to, two names of one network
    // address) would have two jobs fight over one line: refused like a port named twice.
    QHash<QString, QString> nameOfDevice;
    for (const QString &p : ports) {
        const QString device = ResolvePortName(p);
        if (device.isEmpty())
            return UsageError(Str(3301).arg(p));
        if (ports.count(p) > 1)
            return UsageError(QStringLiteral("%1 is named twice").arg(p));
        for (const QString &key : DeviceKeys(device)) {
            if (nameOfDevice.contains(key) && nameOfDevice.value(key) != p)
                return UsageError(QStringLiteral("%1 and %2 are the same device (%3)").arg(nameOfDevice.value(key), p, key));
            nameOfDevice.insert(key, p);
        }
    }
    const bool toStdout = command == QLatin1String("read") && parser.value(outOpt) == QLatin1String("-");
    QHash<QString, QString> targetOf;  // port -> data file (read)
    if (command == QLatin1String("read")) {
        if (parser.isSet(outOpt) && parser.isSet(dirOpt))
            return UsageError(QStringLiteral("read: -o and -d exclude each other"));
        if (parser.isSet(outOpt) && ports.size() > 1)
            return UsageError(QStringLiteral("read: -o names one file; with several ports use -d DIR"));
        if (!parser.isSet(outOpt) && !parser.isSet(dirOpt))
            return UsageError(QStringLiteral("read: -o FILE or -d DIR wanted"));
        if (toStdout && g_json)
            return UsageError(QStringLiteral("read: -o - and --json both want standard output"));
        // Two controllers must never land in one file: refused before anything is read.
        QHash<QString, QString> portOfTarget;
        for (const QString &port : ports) {
            const QString target = parser.isSet(outOpt) ? parser.value(outOpt)
                                                        : QDir(parser.value(dirOpt)).filePath(FileNameFor(port));
            const QString key = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
            if (portOfTarget.contains(key))
                return UsageError(QStringLiteral("read: %1 and %2 would both be saved in %3; read them into separate "
                                                 "folders or one at a time with -o")
                                      .arg(portOfTarget.value(key), port, target));
            portOfTarget.insert(key, port);
            targetOf.insert(port, target);
        }
        // A folder named for the backup is made when it does not exist yet.
        if (parser.isSet(dirOpt) && !QDir().mkpath(parser.value(dirOpt)))
            return UsageError(QStringLiteral("read: the folder %1 cannot be made").arg(parser.value(dirOpt)));
    } else if (parser.isSet(outOpt) || parser.isSet(dirOpt)) {
        return UsageError(QStringLiteral("-o and -d belong to read"));
    }
    if (parser.isSet(noResetOpt) && command != QLatin1String("write"))
        return UsageError(QStringLiteral("--no-reset belongs to write"));

    ParameterSet fileSet;
    const QString fileName = QFileInfo(file).fileName();
    if (!file.isEmpty()) {
        QString error;
        if (!LoadChecked(file, &fileSet, &error))
            return FileError(file, error);
        if (command == QLatin1String("write") && !WriteBlocksFor(fileSet))
            return FileError(file, StrLines({248, 249}).replace(QLatin1String("\r\n"), QLatin1String(" ")));
    }

    const bool reset = !parser.isSet(noResetOpt);
    // Frames per port, for the progress line.
    int frames = 6;  // read and verify: communication mode and the five blocks
    if (command == QLatin1String("write"))
        frames = 1 + 1 + int(WriteSlots(true).size()) + 6 + (reset ? 2 : 0);
    else if (command == QLatin1String("version") || mode == QLatin1String("external"))
        frames = 2;
    else if (command == QLatin1String("mode"))
        frames = 1;

    // Each command as a chain of session operations; every step either goes on or ends the run.
    const auto compare = [fileSet](PortRun *run, const ParameterSet &fromController, const QString &message,
                                   std::function<void()> onEqual) {
        const auto diffs = VerifyDifferences(fromController, fileSet, true);
        if (diffs.isEmpty()) {
            onEqual();
            return;
        }
        run->failWith(QStringLiteral("differs"), message.arg(DifferenceText(diffs, *run)));
    };
    std::function<void(PortRun *)> first;
    if (command == QLatin1String("read")) {
        first = [targetOf](PortRun *run) {
            const QString target = targetOf.value(run->portName());
            run->session().readParameters([run, target](const Outcome &o, const ParameterSet &set) {
                if (!o.ok())
                    return run->fail(o);
                if (target == QLatin1String("-")) {
                    const QByteArray bytes = DataFileBytes(set);
                    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
                        || std::fflush(stdout) != 0)
                        return run->failWith(QStringLiteral("save"),
                                             Str(3319).arg(QStringLiteral("-"), QString::fromLocal8Bit(std::strerror(errno))));
                    run->savedFile = target;
                    return run->succeed(Str(3329));
                }
                const bool existed = QFileInfo::exists(target);
                QString error;
                if (!WriteDataFile(target, set, &error))
                    return run->failWith(QStringLiteral("save"), Str(3319).arg(target, error));
                run->savedFile = target;
                run->replaced = existed;
                run->succeed(Str(existed ? 3328 : 3304).arg(target));
            });
        };
    } else if (command == QLatin1String("write")) {
        // Communication mode, then the write (which begins with it again, as the window's does), the
        // read-back and its comparison, then the reset.
        const auto resetStep = [](PortRun *run) {
            run->session().reset([run](const Outcome &o) {
                if (!o.ok())
                    return run->fail(o);
                run->resetSent = true;
                run->succeed(Str(3306));
            });
        };
        const auto readBackStep = [compare, reset, resetStep](PortRun *run) {
            run->session().readParameters([=](const Outcome &o, const ParameterSet &readBack) {
                if (!o.ok())
                    return run->fail(o);
                run->readBackCompared = true;
                compare(run, readBack, Str(3307), [=] {
                    if (!reset)
                        return run->succeed(Str(3305));
                    run->then([=] { resetStep(run); });
                });
            });
        };
        const auto writeStep = [fileSet, readBackStep](PortRun *run) {
            run->session().writeParameters(fileSet, true, [=](const Outcome &o, const WriteAccount &account) {
                run->account = account;
                if (!o.ok())
                    return run->fail(o);
                run->then([=] { readBackStep(run); });
            });
        };
        first = [writeStep](PortRun *run) {
            run->session().setCommunicationMode([=](const Outcome &o) {
                if (!o.ok())
                    return run->fail(o);
                run->then([=] { writeStep(run); });
            });
        };
    } else if (command == QLatin1String("verify")) {
        first = [fileName, compare](PortRun *run) {
            run->session().readParameters([=](const Outcome &o, const ParameterSet &fromController) {
                if (!o.ok())
                    return run->fail(o);
                compare(run, fromController, Str(3309).arg(fileName, QStringLiteral("%1")),
                        [run, fileName] { run->succeed(Str(3308).arg(fileName)); });
            });
        };
    } else {
        first = [command, mode](PortRun *run) {
            run->session().setCommunicationMode([=](const Outcome &o) {
                if (!o.ok())
                    return run->fail(o);
                if (command == QLatin1String("version")) {
                    run->then([run] {
                        run->session().readVersion([run](const Outcome &o, const QString &version) {
                            if (!o.ok())
                                return run->fail(o);
                            run->version = version;
                            run->succeed(Str(3311).arg(version));
                        });
                    });
                } else if (mode == QLatin1String("external")) {
                    run->then([run] {
                        run->session().setExternalMode([run](const Outcome &o) {
                            if (!o.ok())
                                return run->fail(o);
                            run->succeed(Str(229));
                        });
                    });
                } else {
                    run->succeed(Str(230));
                }
            });
        };
    }

    QList<PortRun *> jobs;
    for (const QString &port : ports)
        jobs.append(new PortRun(port, frames, &app));

    // Ctrl+C: every port stops at once.
    int pipeFds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds) != 0) {
        std::perror("kzpc-cli: socketpair");
        PrintErrorRecord(1, QStringLiteral("socketpair: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return 1;
    }
    g_signalWrite = pipeFds[1];
    QSocketNotifier sigint(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(&sigint, &QSocketNotifier::activated, &app, [&] {
        char buf[16];
        while (::read(pipeFds[0], buf, sizeof buf) > 0) {
        }
        for (PortRun *job : jobs)
            job->requestStop();
    });
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    const bool json = g_json;
    // With the data file on standard output, the result lines go to standard error.
    FILE *const report = toStdout ? stderr : stdout;
    const bool progress = !json && !toStdout && ::isatty(STDOUT_FILENO);
    auto showProgress = [&] {
        QStringList parts;
        for (PortRun *job : jobs)
            parts.append(QStringLiteral("%1 %2/%3").arg(job->portName()).arg(job->framesDone()).arg(job->frameCount()));
        std::printf("\r\033[K%s", qPrintable(parts.join(QLatin1String("  "))));
        std::fflush(stdout);
    };
    // The network connections of all ports are under way before any port starts; each port
    // starts its frames as soon as its own connection is made.
    for (PortRun *job : jobs)
        job->session().prepare();
    int running = int(jobs.size());
    for (PortRun *job : jobs) {
        if (progress)
            QObject::connect(job, &PortRun::progressed, &app, showProgress);
        QObject::connect(job, &PortRun::finished, &app, [&] {
            if (--running == 0)
                QCoreApplication::quit();
        });
        job->start(first);
    }
    if (progress)
        showProgress();
    QCoreApplication::exec();
    if (progress)
        std::printf("\r\033[K");

    bool allOk = true;
    QJsonArray out;
    const bool writing = command == QLatin1String("write");
    for (PortRun *job : jobs) {
        QString message = job->message();
        if (job->result() != Result::Ok)
            allOk = false;
        if (writing && job->result() != Result::Ok)
            message += QStringLiteral(" (") + WriteReport(*job) + QLatin1Char(')');
        if (json) {
            QJsonObject o{{QStringLiteral("port"), job->portName()},
                          {QStringLiteral("device"), job->session().device()},
                          {QStringLiteral("result"), ResultWord(job->result())},
                          {QStringLiteral("message"), message}};
            if (job->result() != Result::Ok)
                o.insert(QStringLiteral("failure"), job->failureKind());
            if (!job->alarmCode.isEmpty())
                o.insert(QStringLiteral("alarm"), job->alarmCode);
            if (command == QLatin1String("read")) {
                if (!job->savedFile.isEmpty()) {
                    o.insert(QStringLiteral("file"), job->savedFile);
                    o.insert(QStringLiteral("replaced"), job->replaced);
                }
            } else if (!file.isEmpty()) {
                o.insert(QStringLiteral("file"), file);
            }
            if (!job->version.isEmpty())
                o.insert(QStringLiteral("version"), job->version);
            if (!mode.isEmpty())
                o.insert(QStringLiteral("mode"), mode);
            if (writing) {
                o.insert(QStringLiteral("written"), QJsonArray::fromStringList(job->account.written));
                o.insert(QStringLiteral("unacknowledged"), QJsonArray::fromStringList(job->account.unacknowledged));
                o.insert(QStringLiteral("notWritten"), QJsonArray::fromStringList(job->account.notWritten));
                o.insert(QStringLiteral("readBackCompared"), job->readBackCompared);
                o.insert(QStringLiteral("resetSent"), job->resetSent);
            }
            if (!job->differences.isEmpty()) {
                QJsonArray diffs;
                for (const auto &d : job->differences)
                    diffs.append(QJsonObject{{QStringLiteral("group"), d.group},
                                             {QStringLiteral("field"), d.field},
                                             {QStringLiteral("file"), d.file},
                                             {QStringLiteral("controller"), d.controller}});
                o.insert(QStringLiteral("differences"), diffs);
            }
            out.append(o);
        } else {
            std::fprintf(report, "%s\t%s\t%s\n", qPrintable(job->portName()), qPrintable(LocalResultWord(job->result())),
                         qPrintable(message));
        }
    }
    if (json)
        std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
    return allOk ? 0 : 1;
}
