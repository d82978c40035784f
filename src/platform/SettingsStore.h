#pragma once
#include "platform/SettingsKeys.h"

#include <QString>

#include <memory>

class QSettings;

// The per-user settings, group Startup. Under TARVIK_HOME=DIR they live in DIR/Tarvik.ini, so tests and
// demos never touch a user's own settings. Readers pass their default; nothing writes a default back.
class SettingsStore
{
public:
    SettingsStore();
    ~SettingsStore();

    QString value(const SettingsKeys::Key& key) const;
    void setValue(const SettingsKeys::Key& key, const QString& value);
    // Writes pending changes; false with a message naming the store when they could not be written.
    bool sync(QString* error);

private:
    std::unique_ptr<QSettings> m_settings;
};
