#include "params/parameter_set.h"

namespace kz {

ParameterSet Temp;
ParameterSet Hensu;

void CopyTemp2Hensu()
{
    Hensu = Temp;
}

void CopyHensu2Temp()
{
    Temp = Hensu;
}

}  // namespace kz
