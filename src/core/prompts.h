#pragma once
// The user-prompt seam: message boxes, file dialogs, print dialogs and the beep.
//
// The window shows Qt dialogs titled "KZPC-Software" (core/dialog_prompts.h); kzpc-cli puts its
// messages on its output; tests install a scripted implementation that answers from a queue and
// records every prompt shown.

#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;

namespace kz {

inline constexpr auto kAppTitle = "KZPC-Software";

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Question, Stop, Information, Exclamation };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// A file dialog request. The filter is in the "description|pattern|description|pattern" form of the
// string table; the dialog converts it.
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultExt;   // without the dot
    QString initialDir;
    QString fileName;
    bool mustExist = false;      // open dialogs: the file must exist
    bool confirmOverwrite = false;  // save dialogs: ask before replacing
};

struct FileDialogResult {
    bool accepted = false;
    QString fullPath;  // empty when cancelled
    QString bareName;  // file name without folder
};

// A table shown after a message, for values the message cannot hold: a caption over it, column
// captions and rows. The user can copy it as text and closes it.
struct TableRequest {
    QString caption;
    QStringList headers;
    QList<QStringList> rows;
};

// The table as text: the column captions and then each row, one line each, cells separated by tabs.
QString TableText(const TableRequest &table);

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon) = 0;
    virtual FileDialogResult openFile(const FileDialogRequest &request) = 0;
    virtual FileDialogResult saveFile(const FileDialogRequest &request) = 0;
    virtual bool printDialog(QPrinter *printer) = 0;
    virtual bool pageSetupDialog(QPrinter *printer) = 0;
    virtual void beep() = 0;
    // Shows the table modally until the user closes it.
    virtual void table(const TableRequest &request) = 0;
};

// The prompts in use: those a test has installed, else the production prompts, else (in a program
// that has none) messages on the error output with the cautious answer to every question.
Prompts &prompts();
// Installs p (not owned) as the prompts in use; nullptr restores the production prompts.
void SetPrompts(Prompts *p);
// Makes p (not owned) the production prompts.
void SetProductionPrompts(Prompts *p);

// Shorthand for the common case: a message with an OK button and no icon.
inline void MsgOk(const QString &text)
{
    prompts().message(text, MsgButtons::Ok, MsgIcon::None);
}

// "desc|pattern|desc|pattern" to Qt's "desc (pattern);;desc (pattern)" form.
QString ToQtFilter(const QString &pipeFilter);

}  // namespace kz
