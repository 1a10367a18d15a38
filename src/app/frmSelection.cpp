#include "app/frmSelection.h"

#include "core/twips.h"
#include "ui_frmSelection.h"

#include <QCloseEvent>

namespace kz {

frmSelection::frmSelection(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::frmSelection>())
{
    ui->setupUi(this);
    PlaceOverOwner(this, owner);
    connect(ui->cmdSelectOk, &QPushButton::clicked, this, [this] {
        answer_ = ui->optSelectKomoku_0->isChecked() ? 0 : 1;
        accept();
    });
    connect(ui->cmdSelectCancel, &QPushButton::clicked, this, [this] {
        answer_ = -1;
        QDialog::reject();
    });
}

frmSelection::~frmSelection() = default;

void frmSelection::setNoCancel(bool noCancel)
{
    noCancel_ = noCancel;
    ui->cmdSelectCancel->setEnabled(!noCancel);
    ui->cmdSelectCancel->setVisible(!noCancel);
    setWindowFlag(Qt::WindowCloseButtonHint, !noCancel);
}

void frmSelection::closeEvent(QCloseEvent *event)
{
    if (noCancel_ && result() != QDialog::Accepted)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void frmSelection::reject()
{
    // Escape and the close box: refused while the user must choose.
    if (noCancel_)
        return;
    answer_ = -1;
    QDialog::reject();
}

int AskSelection(const QString &title, const QString &question, const QString &first, const QString &second,
                 int mode, QWidget *owner)
{
    frmSelection dialog(owner);
    dialog.setWindowTitle(title);
    dialog.form()->lblSelectSetumei->setText(question);
    dialog.form()->optSelectKomoku_0->setText(first);
    dialog.form()->optSelectKomoku_1->setText(second);
    dialog.setNoCancel(mode == 1);
    dialog.exec();
    return dialog.answer();
}

}  // namespace kz
