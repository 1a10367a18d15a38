#pragma once
// What the main window's data are and where they came from: the parameter set twice, the block
// image of the controller transfers, the data name and file, the data-changed flag and the list
// of the last check. The main window owns one; the operations below it take it, or the part of it
// they work on, as an argument.

#include "params/data_image.h"
#include "params/parameter_set.h"

#include <QString>

namespace kz {

struct ParameterDocument {
    // Receives what comes from the controller or a data file. It becomes current only through
    // makeStagedCurrent(), so a read or open that fails half-way never touches the screen's data.
    ParameterSet staged;
    // What the screen shows; every write, save, report and comparison starts from it.
    ParameterSet current;
    // The replies of the last read, or the block texts of the write being built.
    BlockTable blocks;
    // Shown beside "File Name": string 15 ("New data") at start and after New data, string 213
    // after a read from the controller, the file's bare name after Open or Save As.
    QString name;
    // The full path of the file the data were last opened from or saved to; empty for new data
    // and for data read from the controller. Save replaces exactly this file.
    QString path;
    // Set by every edit of a parameter field; cleared by the screen fill, Open, Save and New data.
    bool changed = false;
    // The out-of-range list of the last range check, or the mismatch list of the last
    // verification; each empties it before building its own.
    QString outOfRange;

    // Whole-set copies, all 22 fields whatever the state of the parameter groups.
    void makeStagedCurrent() { current = staged; }
    void stageCurrent() { staged = current; }
};

}  // namespace kz
