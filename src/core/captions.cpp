#include "core/captions.h"

#include "core/strings.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>
#include <QWidget>

namespace kz {

namespace {

QString Tag(const QObject *object)
{
    return object->property("tag").toString();
}

// A whole-text integer conversion: fails for empty or non-numeric text.
std::optional<int> StrictInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> Lookup(int baseId)
{
    return LookupString(baseId + LangOffset);
}

void LoadTooltip(QWidget *control)
{
    const QString tip = control->toolTip();
    if (tip.isEmpty() || LeadingNumber(tip) <= 0)
        return;
    if (auto text = Lookup(LeadingNumber(tip)))
        control->setToolTip(*text);
}

void SetCaption(QWidget *control, const QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
}

void LoadControl(QWidget *control)
{
    if (auto *label = qobject_cast<QLabel *>(control)) {
        if (auto id = StrictInt(Tag(label)))
            if (auto text = Lookup(*id))
                label->setText(*text);
    } else {
        const int id = LeadingNumber(Tag(control));
        if (id > 0)
            if (auto text = Lookup(id))
                SetCaption(control, *text);
    }
    LoadTooltip(control);
}

void LoadMenuItem(QAction *action)
{
    if (auto id = StrictInt(action->text()))
        if (auto text = Lookup(*id))
            action->setText(*text);
}

}  // namespace

void LoadFormCaptions(QWidget *window)
{
    if (!window)
        return;
    const QString tag = Tag(window);
    if (!tag.isEmpty()) {
        QString caption;
        if (auto text = Lookup(LeadingNumber(tag)))
            caption = *text;
        window->setWindowTitle(caption);
    }
    const auto controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        // Menus are loaded through their actions below; other windows load their own captions.
        if (control->window() != window)
            continue;
        LoadControl(control);
    }
    const auto actions = window->findChildren<QAction *>();
    for (QAction *action : actions)
        LoadMenuItem(action);
}

}  // namespace kz
