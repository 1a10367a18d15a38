#include "core/dialog_prompts.h"

#include "core/prompts.h"

#include "core/strings.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

namespace kz {

namespace {

QPointer<QWidget> &PromptParent()
{
    static QPointer<QWidget> parent;
    return parent;
}

class QtPrompts final : public Prompts {
public:
    MsgAnswer message(const QString &text, MsgButtons buttons, MsgIcon icon) override
    {
        QMessageBox box(PromptParent());
        box.setWindowTitle(QLatin1String(kAppTitle));
        box.setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        }
        switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Ok: return MsgAnswer::Ok;
        default:
            // The close box of an OK-only box counts as OK; elsewhere it is Cancel (or No).
            if (buttons == MsgButtons::Ok)
                return MsgAnswer::Ok;
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
        }
    }

    FileDialogResult openFile(const FileDialogRequest &request) override
    {
        return run(request, QFileDialog::AcceptOpen);
    }

    FileDialogResult saveFile(const FileDialogRequest &request) override
    {
        return run(request, QFileDialog::AcceptSave);
    }

    bool printDialog(QPrinter *printer) override
    {
        QPrintDialog dialog(printer, PromptParent());
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        return dialog.exec() == QDialog::Accepted;
    }

    bool pageSetupDialog(QPrinter *printer) override
    {
        QPageSetupDialog dialog(printer, PromptParent());
        return dialog.exec() == QDialog::Accepted;
    }

    void beep() override { QApplication::beep(); }

    void table(const TableRequest &request) override
    {
        QDialog dialog(PromptParent());
        dialog.setWindowTitle(QLatin1String(kAppTitle));
        dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(request.caption, &dialog));
        auto *grid = new QTableWidget(int(request.rows.size()), int(request.headers.size()), &dialog);
        grid->setObjectName(QStringLiteral("tblValues"));
        grid->setHorizontalHeaderLabels(request.headers);
        grid->verticalHeader()->hide();
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        for (int r = 0; r < int(request.rows.size()); ++r)
            for (int c = 0; c < int(request.rows[r].size()) && c < grid->columnCount(); ++c)
                grid->setItem(r, c, new QTableWidgetItem(request.rows[r][c]));
        grid->resizeColumnsToContents();
        grid->horizontalHeader()->setStretchLastSection(true);
        layout->addWidget(grid);
        auto *buttons = new QDialogButtonBox(&dialog);
        QPushButton *copy = buttons->addButton(Str(3236), QDialogButtonBox::ActionRole);
        QPushButton *close = buttons->addButton(Str(3237), QDialogButtonBox::RejectRole);
        QObject::connect(copy, &QPushButton::clicked, &dialog,
                         [&request] { QApplication::clipboard()->setText(TableText(request)); });
        QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
        close->setDefault(true);
        layout->addWidget(buttons);
        int width = grid->verticalHeader()->width() + 4;
        for (int c = 0; c < grid->columnCount(); ++c)
            width += grid->columnWidth(c);
        dialog.resize(std::min(width + 40, 900), std::min(160 + 30 * int(request.rows.size()), 600));
        dialog.exec();
    }

private:
    static FileDialogResult run(const FileDialogRequest &request, QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(PromptParent(), request.title, request.initialDir, ToQtFilter(request.filter));
        dialog.setAcceptMode(mode);
        dialog.setDefaultSuffix(request.defaultExt);
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!request.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        FileDialogResult result;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return result;
        result.accepted = true;
        result.fullPath = dialog.selectedFiles().constFirst();
        result.bareName = QFileInfo(result.fullPath).fileName();
        return result;
    }
};

}  // namespace

void UseDialogPrompts()
{
    static QtPrompts dialogs;
    SetProductionPrompts(&dialogs);
}

void SetPromptParent(QWidget *parent)
{
    UseDialogPrompts();
    PromptParent() = parent;
}

}  // namespace kz
