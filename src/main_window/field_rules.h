#pragma once
// What the parameter fields of the main window accept while the user types, what they check when
// the user leaves them, the Enter chain, the ACC/DEC spinners, the rotation-direction unlock, the
// data-changed flag, and the screen fill.

#include "params/check_chain.h"
#include "params/field_table.h"

#include <QObject>
#include <functional>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace kz {

class frmMain;

class FieldRules : public QObject {
    Q_OBJECT
public:
    explicit FieldRules(frmMain *window);

    ScreenTexts screenTexts() const;
    void screenFill(bool groupsActive);
    // The sensor and homing fields from the window's current copy, as the screen fill writes them;
    // the data-changed flag keeps its value.
    void fillGroups();

    // The rotation-direction unlock, by the new state of chkChangeDirect.
    void chkChangeDirect_Click(bool ticked);

    // Before a command acts on the screen's data: the focused field's leave check, as if the focus
    // had left it. False when a value was refused, now or by the focus change of the click that
    // started the command; the user is told which field and what it accepts.
    bool acceptFocusedValue();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Rule {
        QWidget *control;
        int typedLimit;
        int leaveMin;
        int leaveMax;
        bool dropDown;
        std::function<QWidget *()> enterTarget;
    };

    static QLineEdit *LineEditOf(QWidget *control);
    // One field of the window's current copy onto its control.
    void fill(Field field);
    const Rule *ruleFor(QObject *control) const;
    const Rule *focusedRule() const;
    bool keyPress(const Rule &rule, QKeyEvent *event);
    // The leave check; false when the value was refused (field emptied, beep, focus kept).
    bool lostFocus(const Rule &rule);
    // Text that reached a field by a path other than a key press (input method, paste, drop):
    // full-width digits become ASCII, anything else is dropped, and the field's length holds.
    void keepDigitsOnly(const Rule &rule);
    // Input that would change a parameter while an operation runs.
    bool refuseWhileBusy(QEvent *event);
    QString textOf(const Rule &rule) const;
    void setTextOf(const Rule &rule, const QString &text);
    void markChanged();

    frmMain *window_;
    std::vector<Rule> rules_;
    // The last value the leave check refused, until its field changes or the user is told.
    struct Refusal {
        const Rule *rule = nullptr;
        QString text;
    } refused_;
    // The field a digit key was just let through to; its edit needs no further length rule.
    const Rule *typedByKey_ = nullptr;
};

}  // namespace kz
