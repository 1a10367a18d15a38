#pragma once
// Loading a window's captions, tooltips and menu texts from the string table.
//
// A window carries resource ids as designed data: the dynamic property "tag" on the window and its
// controls, the tooltip text of a control, and the text of a menu item (QAction / QMenu title).

class QWidget;

namespace kz {

// Replaces the ids by the texts of the current language. Every step that fails (missing id, a
// tag that is not a number) is skipped; the designed text then stays, except for the window
// caption, which becomes empty when its tag names a missing id.
void LoadFormCaptions(QWidget *window);

}  // namespace kz
