#pragma once
// Twips (1440 to the inch) to pixels at the screen's logical DPI, and window placement over the
// main window.

class QWidget;

namespace kz {

int TwipsToPixelsX(int twips, const QWidget *reference = nullptr);
int TwipsToPixelsY(int twips, const QWidget *reference = nullptr);

// Moves window to 500 twips right of and 500 twips below owner's top-left corner.
void PlaceOverOwner(QWidget *window, const QWidget *owner);

}  // namespace kz
