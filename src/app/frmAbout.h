#pragma once
// The About box: product title, version, description and the notice about newer versions.

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace kz {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner = nullptr);
    ~frmAbout() override;
    Ui::frmAbout *form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::frmAbout> ui;
};

// System information viewers tried in this order on platforms without the Windows one.
QStringList SystemInfoPrograms();
// Starts the first installed system information viewer among candidates; without one, says so
// with the fixed message. True when a viewer was started.
bool StartSysInfo(const QStringList &candidates = SystemInfoPrograms());

}  // namespace kz
