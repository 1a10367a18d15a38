#include "main_window/field_rules.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "main_window/frmMain.h"
#include "params/field_table.h"
#include "core/read_number.h"
#include "ui_frmMain.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <utility>

namespace kz {

namespace {

// The screen fill writes fields in this order; the sensor and homing part only while the
// parameter groups are active.
constexpr Field kFillAlways[] = {Field::Vel1, Field::Acc1, Field::Dec1, Field::Position1, Field::PauseTime1,
                                 Field::Vel2, Field::Acc2, Field::Dec2, Field::Position2, Field::PauseTime2};
constexpr Field kFillGroups[] = {Field::HomingVel,     Field::HomingPulse,   Field::OffsetVel,
                                 Field::HomeOffset,    Field::RevDir,        Field::SupplyCounter,
                                 Field::NoWorkCounter, Field::RestartDelay,  Field::SeparateTimer,
                                 Field::MidDetectCounter, Field::TipWorkOffTimer, Field::Sp1};

bool CanTakeFocus(QWidget *w)
{
    return w && w->isEnabled() && w->isVisibleTo(w->window());
}

}  // namespace

FieldRules::FieldRules(frmMain *window) : QObject(window), window_(window)
{
    Ui::frmMain &f = *window->form();
    auto to = [](QWidget *w) { return [w] { return w; }; };
    rules_ = {
        {f.comboVEL1, 2, 0, 30, true, to(f.UpDown1)},
        {f.txtPosi1Timer, 3, 0, 255, false, to(f.comboVEL2)},
        {f.comboVEL2, 2, 0, 30, true, to(f.UpDown2)},
        {f.txtPosi2Timer, 3, 0, 255, false, to(f.txtPosi1)},
        {f.txtPosi1, 3, 0, 400, false, to(f.txtPosi2)},
        {f.txtPosi2, 3, 0, 400, false,
         [&f] { return ShowParametersOption ? static_cast<QWidget *>(f.txtLowKaijoCnt) : f.comboVEL1; }},
        {f.txtLowKaijoCnt, 3, 1, 255, false, to(f.txtSentanCount)},
        {f.txtSentanCount, 3, 1, 255, false, to(f.txtRestartDelay)},
        {f.txtRestartDelay, 3, 1, 255, false, to(f.txtXXXCnt)},
        {f.txtXXXCnt, 3, 1, 255, false, to(f.txtNoWorkCount)},
        {f.txtNoWorkCount, 3, 1, 255, false, to(f.txtHensu1)},
        {f.txtHensu1, 3, 1, 255, false,
         [&f] { return f.framHomePara->isEnabled() ? static_cast<QWidget *>(f.txtHomeSokudo) : f.comboVEL1; }},
        {f.txtHomeSokudo, 2, 1, 16, false, to(f.txtHomePosi)},
        {f.txtHomePosi, 3, 1, 600, false, to(f.txtOffsetSokudo)},
        {f.txtOffsetSokudo, 2, 1, 16, false, to(f.txtOffsetPosi)},
        {f.txtOffsetPosi, 3, 1, 100, false, to(f.comboVEL1)},
    };
    for (const Rule &rule : rules_)
        rule.control->installEventFilter(this);

    // Every edit of a field marks the data as changed: typing, a spinner, the program, and also
    // choosing a VEL from its list or toggling the rotation direction, so no edit can be lost
    // without the exit question.
    for (QLineEdit *e : {f.txtPosi1, f.txtPosi2, f.txtPosi1Timer, f.txtPosi2Timer, f.txtSentanCount,
                         f.txtNoWorkCount, f.txtRestartDelay, f.txtLowKaijoCnt, f.txtXXXCnt, f.txtHomePosi,
                         f.txtHomeSokudo, f.txtOffsetPosi, f.txtOffsetSokudo, f.txtHensu1, f.txtHensu2})
        connect(e, &QLineEdit::textChanged, this, &FieldRules::markChanged);
    for (QComboBox *c : {f.comboVEL1, f.comboVEL2}) {
        connect(c, &QComboBox::editTextChanged, this, &FieldRules::markChanged);
        connect(c, &QComboBox::activated, this, &FieldRules::markChanged);
    }
    connect(f.chkRevDir, &QCheckBox::toggled, this, &FieldRules::markChanged);
    const std::pair<UpDown *, QLabel *> spinners[] = {{f.UpDown1, f.lblPosi1Acc},
                                                      {f.UpDownP1Gen, f.lblPosi1Gensoku},
                                                      {f.UpDown2, f.lblPosi2Acc},
                                                      {f.UpDownP2Gen, f.lblPosi2Gensoku}};
    for (const auto &[spinner, label] : spinners) {
        spinner->setBuddy(label);
        connect(spinner, &UpDown::valueChanged, this, &FieldRules::markChanged);
    }
    connect(f.chkChangeDirect, &QCheckBox::toggled, this, &FieldRules::chkChangeDirect_Click);

    for (size_t i = 0; i < rules_.size(); ++i) {
        QLineEdit *edit = LineEditOf(rules_[i].control);
        edit->setInputMethodHints(Qt::ImhDigitsOnly);
        connect(edit, &QLineEdit::textEdited, this, [this, i] { keepDigitsOnly(rules_[i]); });
        connect(edit, &QLineEdit::textChanged, this, [this, i] {
            if (refused_.rule == &rules_[i])
                refused_ = {};
        });
    }

    // While an operation runs, the parameter controls take no input: an edit made then would be
    // neither written nor flagged. The filter sits on every part of them that mouse or keyboard
    // input reaches.
    QList<QWidget *> lockable = {f.txtHensu2, f.UpDown1, f.UpDown2, f.UpDownP1Gen, f.UpDownP2Gen,
                                 f.chkRevDir, f.chkChangeDirect};
    for (const Rule &rule : rules_)
        lockable.append(rule.control);
    for (QWidget *w : lockable) {
        w->installEventFilter(this);
        for (QWidget *part : w->findChildren<QWidget *>())
            part->installEventFilter(this);
    }
}

QLineEdit *FieldRules::LineEditOf(QWidget *control)
{
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->lineEdit();
    return static_cast<QLineEdit *>(control);
}

void FieldRules::markChanged()
{
    window_->document().changed = true;
}

const FieldRules::Rule *FieldRules::ruleFor(QObject *control) const
{
    for (const Rule &rule : rules_)
        if (rule.control == control)
            return &rule;
    return nullptr;
}

QString FieldRules::textOf(const Rule &rule) const
{
    if (auto *combo = qobject_cast<QComboBox *>(rule.control))
        return combo->currentText();
    return static_cast<QLineEdit *>(rule.control)->text();
}

void FieldRules::setTextOf(const Rule &rule, const QString &text)
{
    if (auto *combo = qobject_cast<QComboBox *>(rule.control))
        combo->setEditText(text);
    else
        static_cast<QLineEdit *>(rule.control)->setText(text);
}

const FieldRules::Rule *FieldRules::focusedRule() const
{
    for (QWidget *w = window_->focusWidget(); w; w = w->parentWidget())
        if (const Rule *rule = ruleFor(w))
            return rule;
    return nullptr;
}

bool FieldRules::refuseWhileBusy(QEvent *event)
{
    if (!window_->isBusy())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            return false;
        prompts().beep();
        return true;
    }
    case QEvent::InputMethod:
        if (!static_cast<QInputMethodEvent *>(event)->commitString().isEmpty())
            prompts().beep();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        prompts().beep();
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool FieldRules::eventFilter(QObject *watched, QEvent *event)
{
    if (refuseWhileBusy(event))
        return true;
    if (event->type() == QEvent::FocusIn) {
        // Moving on to another field leaves an earlier refusal behind.
        const Rule *rule = ruleFor(watched);
        if (rule && refused_.rule && rule != refused_.rule)
            refused_ = {};
    } else if (event->type() == QEvent::KeyPress) {
        typedByKey_ = nullptr;
        if (const Rule *rule = ruleFor(watched))
            return keyPress(*rule, static_cast<QKeyEvent *>(event));
    } else if (event->type() == QEvent::KeyRelease) {
        typedByKey_ = nullptr;
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // A popup (the VEL list) or another window taking the focus does not leave the field.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            if (const Rule *rule = ruleFor(watched))
                lostFocus(*rule);
    }
    return QObject::eventFilter(watched, event);
}

// True when the keystroke is dropped.
bool FieldRules::keyPress(const Rule &rule, QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QWidget *target = rule.enterTarget();
        if (CanTakeFocus(target))
            target->setFocus(Qt::TabFocusReason);
        return true;
    }
    // Editing shortcuts (copy, cut, select all, paste) work as in any line edit; what a paste
    // brings is cut down to digits afterwards.
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    // Keys that type no character (arrows, Delete, Home, ...) are not the filter's business.
    const QString typed = event->text();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    if (key != Qt::Key_Backspace && (typed.isEmpty() || key == Qt::Key_Delete))
        return false;

    const bool backspace = key == Qt::Key_Backspace;
    const QString text = textOf(rule);
    bool full = text.size() == rule.typedLimit;
    if (!rule.dropDown && static_cast<QLineEdit *>(rule.control)->hasSelectedText())
        full = false;
    if (full && !backspace)
        return true;
    if (backspace)
        return false;
    const QChar c = typed.at(0);
    if (typed.size() == 1 && c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
        typedByKey_ = &rule;  // the length rule above has already been applied to this digit
        return false;
    }
    return true;
}

bool FieldRules::lostFocus(const Rule &rule)
{
    const QString text = textOf(rule);
    if (!rule.dropDown && text.isEmpty())
        return true;
    const auto value = ReadNumber(text, 32);
    if (value && *value >= rule.leaveMin && *value <= rule.leaveMax)
        return true;
    setTextOf(rule, QString());
    refused_ = {&rule, text};
    prompts().beep();
    QWidget *control = rule.control;
    QTimer::singleShot(0, control, [control] { control->setFocus(Qt::OtherFocusReason); });
    return false;
}

bool FieldRules::acceptFocusedValue()
{
    if (const Rule *rule = focusedRule())
        lostFocus(*rule);
    if (!refused_.rule)
        return true;
    const Refusal refusal = std::exchange(refused_, {});
    QString caption;
    for (const FieldInfo &info : FieldTable()) {
        if (refusal.rule->control->objectName() == QLatin1String(info.control)) {
            caption = FieldDisplayName(info.field);
            break;
        }
    }
    MsgOk(Str(3004).arg(caption, refusal.text.trimmed()).arg(refusal.rule->leaveMin).arg(refusal.rule->leaveMax));
    refusal.rule->control->setFocus(Qt::OtherFocusReason);
    return false;
}

void FieldRules::keepDigitsOnly(const Rule &rule)
{
    QLineEdit *edit = LineEditOf(rule.control);
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    QString digits;
    int digitsBeforeCursor = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        if (c >= u'\uFF10' && c <= u'\uFF19')  // full-width digits, as an input method commits them
            c = static_cast<char16_t>(u'0' + (c - u'\uFF10'));
        if (c < u'0' || c > u'9')
            continue;
        digits.append(QChar(c));
        if (i < cursor)
            ++digitsBeforeCursor;
    }
    const bool typed = std::exchange(typedByKey_, nullptr) == &rule;
    if (!typed)
        digits.truncate(rule.typedLimit);
    if (digits == text)
        return;
    edit->setText(digits);
    edit->setCursorPosition(std::min<int>(digitsBeforeCursor, digits.size()));
}

void FieldRules::chkChangeDirect_Click(bool ticked)
{
    Ui::frmMain &f = *window_->form();
    if (!ticked) {
        f.framChangeDirect->setEnabled(false);
        f.chkRevDir->setEnabled(false);
        return;
    }
    const auto answer = prompts().message(StrLines({206, 207, 208}), MsgButtons::YesNo, MsgIcon::Stop);
    if (answer == MsgAnswer::Yes) {
        f.framChangeDirect->setEnabled(true);
        f.chkRevDir->setEnabled(true);
    } else {
        f.framChangeDirect->setEnabled(false);
        f.chkRevDir->setEnabled(false);
        f.chkChangeDirect->setChecked(false);
    }
}

ScreenTexts FieldRules::screenTexts() const
{
    ScreenTexts screen;
    for (const FieldInfo &info : FieldTable()) {
        QWidget *w = window_->findChild<QWidget *>(QLatin1String(info.control));
        if (auto *combo = qobject_cast<QComboBox *>(w))
            screen.texts.insert(QLatin1String(info.control), combo->currentText());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            screen.texts.insert(QLatin1String(info.control), edit->text());
        else if (auto *label = qobject_cast<QLabel *>(w))
            screen.texts.insert(QLatin1String(info.control), label->text());
    }
    screen.revDirChecked = window_->form()->chkRevDir->isChecked();
    return screen;
}

void FieldRules::fill(Field field)
{
    const FieldInfo &info = Info(field);
    const qint32 value = ValueOf(window_->document().current, field);
    QWidget *w = window_->findChild<QWidget *>(QLatin1String(info.control));
    if (auto *combo = qobject_cast<QComboBox *>(w))
        combo->setEditText(QString::number(value));
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->setText(QString::number(value));
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(QString::number(value));
    else if (auto *check = qobject_cast<QCheckBox *>(w))
        check->setChecked(value == 1);
}

void FieldRules::screenFill(bool groupsActive)
{
    for (Field field : kFillAlways)
        fill(field);
    if (groupsActive)
        for (Field field : kFillGroups)
            fill(field);
    window_->document().changed = false;
}

void FieldRules::fillGroups()
{
    // The fields only catch up with what the tool holds: nothing is changed by it.
    bool &changed = window_->document().changed;
    const bool was = changed;
    for (Field field : kFillGroups)
        fill(field);
    changed = was;
}

}  // namespace kz
