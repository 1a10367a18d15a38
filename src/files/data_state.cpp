#include "files/data_state.h"

namespace kz {

QString DataName;
QString DataPath;
bool DataChanged = false;

}  // namespace kz
