#pragma once
// The window's prompts: Qt message boxes, file, print and page set-up dialogs, and a table dialog,
// all titled "KZPC-Software".

class QWidget;

namespace kz {

// Makes the dialogs the production prompts.
void UseDialogPrompts();
// The window that the dialogs are parented to (the main window once it exists); makes the dialogs
// the production prompts.
void SetPromptParent(QWidget *parent);

}  // namespace kz
