#pragma once
// The port choice's persisted settings "PortNo" and "PortOccupy".

namespace kz {

struct PortChoice;

// Takes the stored "PortNo" into choice, when there is a number.
void LoadPortNo(PortChoice &choice);
// The stored "PortNo" (default 1), or fallback when the stored text is not a number.
int StoredPortNo(int fallback);
void LoadPortOccupy(PortChoice &choice);
void SavePortNo(const PortChoice &choice);
void SavePortOccupy(const PortChoice &choice);

}  // namespace kz
