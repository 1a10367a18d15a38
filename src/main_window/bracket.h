#pragma once
// Brackets an operation that talks to the controller or to a file: the command buttons and the
// File menu items are off for its whole length, back on at every exit, and a close request waits
// until it has ended.

#include "main_window/frmMain.h"

namespace kz {

class Bracket {
public:
    explicit Bracket(frmMain *w) : w_(w), busy_(w)
    {
        w_->disableCommandButtons();
        w_->disableFileMenu();
    }
    ~Bracket()
    {
        w_->enableCommandButtons();
        w_->enableFileMenu();
    }
    Bracket(const Bracket &) = delete;
    Bracket &operator=(const Bracket &) = delete;

private:
    frmMain *w_;
    frmMain::Busy busy_;
};

}  // namespace kz
