#pragma once
// The start-up splash: product name and version, shown for a fixed time while the tool starts.

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class frmSplash;
}

namespace kz {

class frmSplash : public QWidget {
    Q_OBJECT
public:
    frmSplash();
    ~frmSplash() override;

    Ui::frmSplash *form() const { return ui.get(); }
    // Ticks once after its interval (2000 ms) and stops.
    QTimer timerSplash;

private:
    std::unique_ptr<Ui::frmSplash> ui;
};

}  // namespace kz
