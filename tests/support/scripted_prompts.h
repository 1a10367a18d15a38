#pragma once
// Prompts for tests: answers come from queues, every prompt shown is recorded in order.

#include "core/prompts.h"

#include <QList>
#include <QQueue>

namespace kz::test {

struct ShownMessage {
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
};

class ScriptedPrompts final : public Prompts {
public:
    ScriptedPrompts();   // installs itself
    ~ScriptedPrompts() override;  // restores the production prompts

    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon) override;
    FileDialogResult openFile(const FileDialogRequest &request) override;
    FileDialogResult saveFile(const FileDialogRequest &request) override;
    bool printDialog(QPrinter *printer) override;
    bool pageSetupDialog(QPrinter *printer) override;
    void beep() override { ++beeps; }
    void table(const TableRequest &request) override { tables.append(request); }

    // Texts of all messages shown so far.
    QStringList texts() const;

    QQueue<MsgAnswer> answers;             // for questions; OK-only boxes need no answer
    QQueue<FileDialogResult> fileResults;  // for open and save dialogs
    QQueue<bool> printAnswers;
    QList<ShownMessage> shown;
    QList<FileDialogRequest> fileRequests;
    QList<TableRequest> tables;  // tables shown, in order
    int beeps = 0;
    int unscripted = 0;  // questions asked with no answer queued (answered Cancel / No)
};

// A file dialog answer: accepted with this path.
FileDialogResult Chosen(const QString &path);
// A cancelled file dialog.
FileDialogResult Cancelled();

}  // namespace kz::test
