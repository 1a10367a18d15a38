#include "main_window/updown.h"

#include "core/strings.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace kz {

UpDown::UpDown(QWidget *parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::stepUp()
{
    step(+1);
}

void UpDown::stepDown()
{
    step(-1);
}

void UpDown::step(int delta)
{
    if (!buddy_ || !isEnabled())
        return;
    const int current = LeadingNumber(buddy_->text());
    const int next = qBound(kMin, current + delta, kMax);
    if (QString::number(next) == buddy_->text())
        return;
    buddy_->setText(QString::number(next));
    emit valueChanged(next);
}

void UpDown::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        stepUp();
    else if (event->key() == Qt::Key_Down)
        stepDown();
    else
        QWidget::keyPressEvent(event);
}

void UpDown::focusInEvent(QFocusEvent *event)
{
    showFocus(true);
    QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent *event)
{
    showFocus(false);
    QWidget::focusOutEvent(event);
}

void UpDown::showFocus(bool focused)
{
    // The arrows are too small to carry a focus frame; the number they step shows it instead, in
    // the selection colours, as a spin box shows its selected text.
    if (!buddy_)
        return;
    if (!focused) {
        buddy_->setAutoFillBackground(false);
        buddy_->setPalette(QPalette());
        return;
    }
    QPalette p = buddy_->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::WindowText, p.color(QPalette::Active, QPalette::HighlightedText));
    buddy_->setPalette(p);
    buddy_->setAutoFillBackground(true);
}

void UpDown::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        up_->setEnabled(isEnabled());
        down_->setEnabled(isEnabled());
    }
    QWidget::changeEvent(event);
}

}  // namespace kz
