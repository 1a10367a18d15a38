#pragma once
// The link's persisted settings "PortNo" and "PortOccupy".

namespace kz {

void LoadPortNo();
// The stored "PortNo" (default 1), or fallback when the stored text is not a number.
int StoredPortNo(int fallback);
void LoadPortOccupy();
void SavePortNo();
void SavePortOccupy();

}  // namespace kz
