#include "params/parameter_set.h"

namespace kz {

ParameterSet StagedSet;
ParameterSet CurrentSet;

void CopyStagedToCurrent()
{
    CurrentSet = StagedSet;
}

void CopyCurrentToStaged()
{
    StagedSet = CurrentSet;
}

}  // namespace kz
