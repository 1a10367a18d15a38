#include "core/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kz {

namespace {
QScreen *ScreenOf(const QWidget *reference)
{
    if (reference && reference->screen())
        return reference->screen();
    return QGuiApplication::primaryScreen();
}
}  // namespace

int TwipsToPixelsX(int twips, const QWidget *reference)
{
    const QScreen *screen = ScreenOf(reference);
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

int TwipsToPixelsY(int twips, const QWidget *reference)
{
    const QScreen *screen = ScreenOf(reference);
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

void PlaceOverOwner(QWidget *window, const QWidget *owner)
{
    if (!window || !owner)
        return;
    const QPoint corner = owner->frameGeometry().topLeft();
    window->move(corner.x() + TwipsToPixelsX(500, owner), corner.y() + TwipsToPixelsY(500, owner));
}

}  // namespace kz
