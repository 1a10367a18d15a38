#pragma once
// The communication log window: every frame the link sends and receives, with the outcome of each
// exchange, from start-up on. A window of its own beside the main window, never modal and never
// blocked by the I/O monitor or a transfer, so it keeps showing what the controller says while
// they run. It only shows: it never starts an exchange.

#include <QRect>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <memory>

namespace Ui {
class frmCommLog;
}

namespace kz {

class CommLogModel;
class PacedCommLog;

// Shows the one log window beside owner, creating it on first use; it shows the program's log, kept
// from start-up on. On its first showing it is placed clear of keepClear (owner's frame when
// empty). Closing it only hides it; it lives until owner is destroyed.
void ShowCommLog(QWidget *owner, const QRect &keepClear = QRect());

// Where a window of the preferred size goes on the available screen area without covering
// keepClear: right of it, left of it, below or above it, the first side where the preferred size
// fits, else the side with the most room for at least the minimum size, shrunk to that room. With
// no such side the minimum size goes to the screen's edge on the side with the most room, covering
// as little of keepClear as it can. Rectangles are window frames; gap separates the two.
QRect PlaceBeside(const QRect &available, const QRect &keepClear, const QSize &preferred,
                  const QSize &minimum, int gap = 8);
// The log window, or nullptr before its first showing.
class frmCommLog *CommLogWindow();

// Lines of the log, without the I/O monitor's good polls while hidePolls is set.
class CommLogFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setHidePolls(bool hide);
    bool hidePolls() const { return hidePolls_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool hidePolls_ = false;
};

class frmCommLog : public QWidget {
    Q_OBJECT
public:
    // Placed clear of keepClear (owner's frame when empty).
    explicit frmCommLog(QWidget *owner, const QRect &keepClear = QRect());
    ~frmCommLog() override;

    CommLogModel &model() const { return *model_; }
    CommLogFilter &shown() const { return *filter_; }
    // The lines shown, in order.
    QStringList shownLines() const;

    void cmdClear_Click();
    void cmdCopy_Click();
    // Save as text through the save dialog; a failure says why.
    void cmdSave_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The selected lines, or all lines shown when none is selected.
    QStringList linesToCopy() const;
    void placeBeside(QWidget *owner, const QRect &keepClear);

    std::unique_ptr<Ui::frmCommLog> ui;
    CommLogModel *model_;  // the program's log
    PacedCommLog *paced_;  // its lines for the view, twice a second
    CommLogFilter *filter_;
    bool followBottom_ = true;
};

}  // namespace kz
