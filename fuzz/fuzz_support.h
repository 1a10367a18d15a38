#pragma once
// Shared pieces of the fuzz targets: a Qt application object, prompts that answer without a dialog,
// a reply timer on the harness's clock, and a check that stops the run with a message libFuzzer
// records as a crash.

#include "core/prompts.h"
#include "link/link.h"

#include <QStringList>

namespace kz::fuzz {

// Creates the one QCoreApplication of the process (event loop and timers for the exchange).
void EnsureApp();

// Answers every prompt at once: OK to messages, cancel to dialogs (a table counts as one). Keeps the
// texts of the messages shown since the last clear().
class SilentPrompts final : public Prompts {
public:
    SilentPrompts();   // installs itself
    ~SilentPrompts() override;

    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon) override;
    FileDialogResult openFile(const FileDialogRequest &) override { ++dialogs; return {}; }
    FileDialogResult saveFile(const FileDialogRequest &) override { ++dialogs; return {}; }
    bool printDialog(QPrinter *) override { ++dialogs; return false; }
    bool pageSetupDialog(QPrinter *) override { ++dialogs; return false; }
    void beep() override {}
    void table(const TableRequest &) override { ++dialogs; }

    void clear() { texts.clear(); dialogs = 0; }

    QStringList texts;
    int dialogs = 0;
};

// A link's reply timer that fires when the harness says so, so that no input waits on a real clock.
class ManualTimer final : public ReplyTimer {
public:
    void start(int /*ms*/) override { armed_ = true; }
    void stop() override { armed_ = false; }
    bool armed() const { return armed_; }
    void fire()
    {
        armed_ = false;
        emit timeout();
    }

private:
    bool armed_ = false;
};

// Aborts with what and where when ok is false; the abort is the finding.
[[noreturn]] void Fail(const char *what, const char *file, int line);

}  // namespace kz::fuzz

#define FUZZ_CHECK(cond)                                   \
    do {                                                   \
        if (!(cond))                                       \
            ::kz::fuzz::Fail(#cond, __FILE__, __LINE__);   \
    } while (0)
