#pragma once
#include "platform/SettingsKeys.h"

#include <QList>
#include <QString>

#include <memory>
#include <utility>

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
    // Sets every value and writes them. When the store cannot be written, false with the message, and the values
    // in force are the old ones.
    bool save(const QList<std::pair<SettingsKeys::Key, QString>>& values, QString* error);

private:
    std::unique_ptr<QSettings> m_settings;
};
