#pragma once
// The two-choice question asked at start-up. In mode 1 the user must choose: no Cancel, and the
// close box and Escape do nothing.

#include <QDialog>
#include <memory>

namespace Ui {
class frmSelection;
}

namespace kz {

class frmSelection : public QDialog {
    Q_OBJECT
public:
    explicit frmSelection(QWidget *owner);
    ~frmSelection() override;

    Ui::frmSelection *form() const { return ui.get(); }
    // 0: first choice, 1: second choice, -1: cancelled.
    int answer() const { return answer_; }
    void setNoCancel(bool noCancel);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    std::unique_ptr<Ui::frmSelection> ui;
    int answer_ = -1;
    bool noCancel_ = false;
};

// Shows the question modally over owner and returns the answer (0, 1, or -1 for Cancel).
int AskSelection(const QString &title, const QString &question, const QString &first, const QString &second,
                 int mode, QWidget *owner = nullptr);

}  // namespace kz
