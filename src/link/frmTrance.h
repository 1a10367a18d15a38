#pragma once
// The transfer-in-progress window shown while parameters travel to or from the controller.
// Modeless; refuses to be closed by the user, closes when the operation unloads it.

#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;

namespace Ui {
class frmTrance;
}

namespace kz {

class frmTrance : public QDialog {
    Q_OBJECT
public:
    // Loads its captions and places itself 500 twips right of and below owner's top-left corner.
    explicit frmTrance(QWidget *owner);
    ~frmTrance() override;

    QLabel *lblSetumei() const;
    QProgressBar *prgBar1() const;

    // Closes the window for good (the program's close; the user's close is refused).
    void unload();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::frmTrance> ui;
    bool unloading_ = false;
};

}  // namespace kz
