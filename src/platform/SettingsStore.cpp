#include "platform/SettingsStore.h"

#include <QDir>
#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Startup");

} // namespace

SettingsStore::SettingsStore()
{
    const QString home = qEnvironmentVariable("TARVIK_HOME");
    if (!home.isEmpty()) {
        m_settings
            = std::make_unique<QSettings>(QDir(home).filePath(QStringLiteral("Tarvik.ini")), QSettings::IniFormat);
    } else {
#ifdef Q_OS_WIN
        // Where the site's earlier settings already are.
        m_settings
            = std::make_unique<QSettings>(QStringLiteral("VB and VBA Program Settings"), QStringLiteral("Tarvik"));
#else
        m_settings = std::make_unique<QSettings>(QStringLiteral("Tarvik"), QStringLiteral("Tarvik"));
#endif
    }
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const SettingsKeys::Key& key) const
{
    return m_settings->value(kGroup + u'/' + QString::fromUtf16(key.name), QString::fromUtf16(key.defaultValue))
        .toString();
}

void SettingsStore::setValue(const SettingsKeys::Key& key, const QString& value)
{
    m_settings->setValue(kGroup + u'/' + QString::fromUtf16(key.name), value);
}

bool SettingsStore::save(const QList<std::pair<SettingsKeys::Key, QString>>& values, QString* error)
{
    QList<std::pair<QString, QVariant>> before;
    for (const auto& [key, value] : values) {
        const QString name = kGroup + u'/' + QString::fromUtf16(key.name);
        before.append({ name, m_settings->value(name) });
        m_settings->setValue(name, value);
    }
    if (sync(error))
        return true;
    for (const auto& [name, old] : before) {
        if (old.isValid())
            m_settings->setValue(name, old);
        else
            m_settings->remove(name);
    }
    return false;
}

bool SettingsStore::sync(QString* error)
{
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    if (error)
        *error = QStringLiteral("Não foi possível gravar as configurações em %1.").arg(m_settings->fileName());
    return false;
}
