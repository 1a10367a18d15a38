#include "core/fit_text.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QTextLayout>

namespace kz {

namespace {

constexpr auto kDesignedSize = "kzDesignedPointSize";

// Characters that belong to one word: a line break between two of the same kind splits it.
enum class Kind { Other, Latin, Katakana };

Kind KindOf(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
        return Kind::Latin;
    // Full-width katakana with the prolonged sound mark, and the half-width forms.
    if ((u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F))
        return Kind::Katakana;
    return Kind::Other;
}

}  // namespace

bool CaptionFits(const QLabel *label, double pointSize)
{
    QFont font = label->font();
    font.setPointSizeF(pointSize);
    const QRectF room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                       -label->margin());
    const QString text = label->text();
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(label->wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    bool fits = true;
    for (QTextLine line = layout.createLine(); fits && line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->wordWrap() ? room.width() : 1e6);
        height += line.height();
        const int end = line.textStart() + line.textLength();
        const bool splitsWord = end > 0 && end < text.size() && KindOf(text.at(end - 1)) != Kind::Other
                                && KindOf(text.at(end - 1)) == KindOf(text.at(end));
        fits = line.naturalTextWidth() <= room.width() + 0.5 && !splitsWord;
    }
    layout.endLayout();
    return fits && height <= room.height() + 0.5;
}

void FitCaption(QLabel *label)
{
    if (!label || label->text().isEmpty() || label->textFormat() == Qt::RichText)
        return;
    QVariant designed = label->property(kDesignedSize);
    if (!designed.isValid()) {
        designed = label->font().pointSizeF();
        label->setProperty(kDesignedSize, designed);
    }
    const double full = designed.toDouble();
    if (full <= 0)
        return;
    double size = full;
    while (size > full * 0.5 && !CaptionFits(label, size))
        size -= 0.5;
    if (qFuzzyCompare(label->font().pointSizeF(), size))
        return;
    QFont font = label->font();
    font.setPointSizeF(size);
    label->setFont(font);
}

}  // namespace kz
