#pragma once
// Captions that fit their controls in both languages: a label whose text would be clipped, or
// would wrap in the middle of a word (a run of katakana or of Latin letters), is drawn a little
// smaller until it fits.

class QLabel;

namespace kz {

// Fits label's current text, starting each time from the label's designed font size and going
// down to half of it at most.
void FitCaption(QLabel *label);

// True when text, laid out in width with wrapping (or on one line), fits height and breaks no word.
bool CaptionFits(const QLabel *label, double pointSize);

}  // namespace kz
