#pragma once
// The controller's parameter set: 22 numbers. The main window holds it twice, as the staging and
// the current copy of its document (parameter_document.h).

#include <QtGlobal>

namespace kz {

// Fields in the order of the field table (field_table.h). Every field is held as 32 bits; the table
// says which ones are 16-bit fields, and the readers enforce that width.
struct ParameterSet {
    // Position 1
    qint32 Vel1 = 0;
    qint32 Acc1 = 0;
    qint32 Dec1 = 0;
    qint32 PauseTime1 = 0;
    qint32 Position1 = 0;
    // Position 2
    qint32 Vel2 = 0;
    qint32 Acc2 = 0;
    qint32 Dec2 = 0;
    qint32 PauseTime2 = 0;
    qint32 Position2 = 0;
    // Sensor parameters (the rotation direction counts with them)
    qint32 SeparateTimer = 0;
    qint32 SupplyCounter = 0;
    qint32 RestartDelay = 0;
    qint32 MidDetectCounter = 0;
    qint32 NoWorkCounter = 0;
    qint32 TipWorkOffTimer = 0;
    qint32 Sp1 = 0;
    qint32 RevDir = 0;  // 0 normal, 1 reversed
    // Homing parameters
    qint32 HomingVel = 0;
    qint32 HomingPulse = 0;
    qint32 OffsetVel = 0;
    qint32 HomeOffset = 0;

    bool operator==(const ParameterSet &) const = default;
};

}  // namespace kz
