#include "files/data_state.h"

namespace kz {

QString DataName;
bool DataChanged = false;

}  // namespace kz
