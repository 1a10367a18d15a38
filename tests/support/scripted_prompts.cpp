#include "support/scripted_prompts.h"

#include <QFileInfo>

namespace kz::test {

ScriptedPrompts::ScriptedPrompts()
{
    SetPrompts(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    SetPrompts(nullptr);
}

MsgAnswer ScriptedPrompts::message(const QString &text, MsgButtons buttons, MsgIcon icon)
{
    shown.append({text, buttons, icon});
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (!answers.isEmpty())
        return answers.dequeue();
    ++unscripted;
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
}

FileDialogResult ScriptedPrompts::openFile(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileResults.isEmpty() ? Cancelled() : fileResults.dequeue();
}

FileDialogResult ScriptedPrompts::saveFile(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileResults.isEmpty() ? Cancelled() : fileResults.dequeue();
}

bool ScriptedPrompts::printDialog(QPrinter *)
{
    return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

bool ScriptedPrompts::pageSetupDialog(QPrinter *)
{
    return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

QStringList ScriptedPrompts::texts() const
{
    QStringList all;
    for (const auto &m : shown)
        all << m.text;
    return all;
}

FileDialogResult Chosen(const QString &path)
{
    return {true, path, QFileInfo(path).fileName()};
}

FileDialogResult Cancelled()
{
    return {};
}

}  // namespace kz::test
