#pragma once
#include <QString>

#include <memory>

class RioCom;
class SettingsStore;

namespace RioComDriver {

// The driver the settings choose: the library the RioComLibrary setting names, or the simulated terminal
// of the profile when it names none. nullptr, with the reason, when the library cannot be used.
std::unique_ptr<RioCom> create(const SettingsStore& settings, QString* error);

} // namespace RioComDriver
