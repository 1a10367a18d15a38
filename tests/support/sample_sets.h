#pragma once
// Parameter sets that several tests share.

#include "params/parameter_set.h"

namespace kz::test {

// The example data file's values: every field within its accepted range.
inline ParameterSet ExampleSet()
{
    ParameterSet s;
    s.Vel1 = 10; s.Acc1 = 5; s.Dec1 = 5; s.Position1 = 200; s.PauseTime1 = 30;
    s.Vel2 = 20; s.Acc2 = 3; s.Dec2 = 4; s.Position2 = 350; s.PauseTime2 = 0;
    s.HomingVel = 8; s.HomingPulse = 300; s.OffsetVel = 6; s.HomeOffset = 2;
    s.SupplyCounter = 8; s.NoWorkCounter = 200; s.RestartDelay = 100; s.RevDir = 0;
    s.SeparateTimer = 100; s.MidDetectCounter = 15; s.TipWorkOffTimer = 20; s.Sp1 = 0;
    return s;
}

}  // namespace kz::test
