#include "app/startup.h"

#include "app/frmAbout.h"
#include "app/frmOptions.h"
#include "app/frmSelection.h"
#include "app/frmSplash.h"
#include "app/help.h"
#include "core/language.h"
#include "core/settings.h"
#include "link/comm_log.h"
#include "link/port_settings.h"
#include "core/strings.h"
#include "link/port.h"
#include "main_window/frmMain.h"

#include <QEventLoop>

namespace kz {

std::unique_ptr<frmMain> Main(int splashMs, const QString &dataFile)
{
    InitHelpPath();
    LoadLanguage();
    InstallQtTranslator();
    // The communication log keeps what the link does from here on, the start-up read included;
    // its window shows it whenever it is opened.
    ProgramCommLog();

    {
        // The splash stays up for its time while window events run; the wait sleeps in the event
        // loop until the splash's timer ends it.
        frmSplash splash;
        splash.show();
        splash.repaint();
        QEventLoop wait;
        QObject::connect(&splash.timerSplash, &QTimer::timeout, &wait, &QEventLoop::quit);
        splash.timerSplash.setInterval(splashMs);
        splash.timerSplash.start();
        wait.exec();
    }

    auto window = std::make_unique<frmMain>();
    frmMain *w = window.get();
    w->showOptionsDialog = [w] { ShowOptions(w, w->link().portChoice()); };
    w->showAboutBox = [w] {
        frmAbout about(w);
        about.exec();
    };
    w->showHelp = [w](const QString &topic) { ShowHelp(w, topic); };
    window->show();
    if (!dataFile.isEmpty()) {
        window->OpenDataFile(dataFile);
        return window;
    }
    const int answer = AskSelection(Str(150), Str(151), Str(152), Str(153), 1, window.get());
    if (answer == 0)
        window->readAtStartup();
    return window;
}

}  // namespace kz
