#pragma once
// An up-down spinner bound to a value label (the ACC and DEC settings): each step moves the
// label's number by one within 1 to 9, without wrapping. It takes the focus (Tab, a click) and is
// stepped with the arrow keys; while it has the focus its label shows the number selected.

#include <QWidget>

class QLabel;
class QToolButton;

namespace kz {

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    void setBuddy(QLabel *label) { buddy_ = label; }
    QLabel *buddy() const { return buddy_; }
    static constexpr int kMin = 1;
    static constexpr int kMax = 9;

public slots:
    void stepUp();
    void stepDown();

signals:
    // The label now shows this value.
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void step(int delta);
    void showFocus(bool focused);

    QLabel *buddy_ = nullptr;
    QToolButton *up_;
    QToolButton *down_;
};

}  // namespace kz
