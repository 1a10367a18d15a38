#include "app/command_line.h"
#include "core/dialog_prompts.h"
#include "core/language.h"
#include "core/prompts.h"
#include "core/strings.h"
#include "link/comm_log.h"
#include "link/exchange.h"
#include "link/tcp_comm_port.h"
#include "core/settings.h"
#include "app/startup.h"
#include "main_window/frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

QStringList Arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Shows message in a box once no operation is talking to the controller: a box opened in the
// middle of an exchange would hold it up.
void ShowWhenIdle(const QString &message)
{
    auto *wait = new QTimer(qApp);
    wait->setInterval(100);
    QObject::connect(wait, &QTimer::timeout, wait, [wait, message] {
        const kz::frmMain *window = kz::frmMain::instance();
        if (!window || window->talking())
            return;
        wait->stop();
        wait->deleteLater();
        kz::MsgOk(message);
    });
    wait->start();
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("KZPC-Software"));
    QCoreApplication::setOrganizationName(QStringLiteral("KZPC-Software"));

    // Help and version are answered before the window system is opened, so they work without a
    // display. The line is read again below once the window system has taken its own options.
    const kz::CommandLine early = kz::ParseCommandLine(Arguments(argc, argv));
    if (early.action == kz::CommandLine::Action::Help || early.action == kz::CommandLine::Action::Version) {
        QCoreApplication core(argc, argv);
        kz::LoadLanguage();
        kz::InstallQtTranslator();
        Print(stdout, early.action == kz::CommandLine::Action::Help ? kz::CommandLineHelp()
                                                                     : kz::CommandLineVersion());
        return 0;
    }

    QApplication app(argc, argv);
    kz::UseDialogPrompts();
    // A network port's connection is waited for with the window painting.
    kz::TcpCommPort::SetWaitOnEventLoop(true);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kzpc.svg")));
    const kz::CommandLine line = kz::ParseCommandLine(QCoreApplication::arguments());
    if (line.action == kz::CommandLine::Action::Error) {
        Print(stderr, line.error + QLatin1Char('\n'));
        return 2;
    }
    // The log file watches the link before anything talks to the controller. Only a regular file
    // is taken, so that a pipe or a device never holds the start up.
    kz::CommLogFile commLog;
    if (!line.commLog.isEmpty()) {
        kz::LoadLanguage();
        QString error;
        if (!commLog.open(line.commLog, &error)) {
            Print(stderr, kz::Str(3220).arg(line.commLog, error) + QLatin1Char('\n'));
            return 2;
        }
        // A write that fails later (a full disk) is said on the terminal at once and in the window
        // when the operation under way has ended.
        commLog.onWriteFailed = [](const QString &message) {
            Print(stderr, QString(message).replace(QLatin1String("\r\n"), QLatin1String("\n")) + QLatin1Char('\n'));
            ShowWhenIdle(message);
        };
    }
    const auto window = kz::Main(2000, line.dataFile);
    return app.exec();
}
