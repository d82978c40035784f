#include "terminal/RioComDriver.h"

#include "platform/SettingsStore.h"
#include "terminal/LibraryDriver.h"
#include "terminal/SimulatedTerminal.h"

namespace RioComDriver {

std::unique_ptr<RioCom> create(const SettingsStore& settings, QString* error)
{
    const QString library = settings.value(SettingsKeys::RioComLibrary).trimmed();
    if (library.isEmpty())
        return std::make_unique<SimulatedTerminal>(SimulatedTerminal::defaultFolder());
    auto driver = std::make_unique<LibraryDriver>();
    if (!driver->load(library, error))
        return nullptr;
    return driver;
}

} // namespace RioComDriver
