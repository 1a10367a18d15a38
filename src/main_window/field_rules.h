#pragma once
// What the parameter fields of the main window accept while the user types, what they check when
// the user leaves them, the Enter chain, the ACC/DEC spinners, the rotation-direction unlock, the
// data-changed flag, and the screen fill.

#include "params/check_chain.h"

#include <QObject>
#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

namespace kz {

class frmMain;

class FieldRules : public QObject {
    Q_OBJECT
public:
    explicit FieldRules(frmMain *window);

    ScreenTexts screenTexts() const;
    void screenFill(bool groupsActive);

    // The rotation-direction unlock, by the new state of chkChangeDirect.
    void chkChangeDirect_Click(bool ticked);

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

    const Rule *ruleFor(QObject *control) const;
    bool keyPress(const Rule &rule, QKeyEvent *event);
    void lostFocus(const Rule &rule);
    QString textOf(const Rule &rule) const;
    void setTextOf(const Rule &rule, const QString &text);
    void markChanged();

    frmMain *window_;
    std::vector<Rule> rules_;
};

}  // namespace kz
