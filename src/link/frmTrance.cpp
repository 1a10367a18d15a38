#include "link/frmTrance.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/twips.h"
#include "ui_frmTrance.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace kz {

frmTrance::frmTrance(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::frmTrance>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    LoadFormCaptions(this);
    PlaceOverOwner(this, owner);
}

frmTrance::~frmTrance() = default;

QLabel *frmTrance::lblSetumei() const
{
    return ui->lblSetumei;
}

QProgressBar *frmTrance::prgBar1() const
{
    return ui->prgBar1;
}

void frmTrance::unload()
{
    unloading_ = true;
    close();
}

void frmTrance::closeEvent(QCloseEvent *event)
{
    if (unloading_)
        event->accept();
    else
        event->ignore();
}

void frmTrance::keyPressEvent(QKeyEvent *event)
{
    // Escape would reject the dialog; the transfer window only closes when the operation ends. The
    // beep says the key was heard and refused, as every command is while an operation runs.
    if (event->key() == Qt::Key_Escape) {
        prompts().beep();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kz
