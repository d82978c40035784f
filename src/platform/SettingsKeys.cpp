#include "platform/SettingsKeys.h"

#include "values/Conversions.h"

namespace SettingsKeys {

QString signedNumberForm(double value)
{
    QString text = Conversions::numberToSiteText(value).replace(u',', u'.');
    return text.startsWith(u'-') ? text : u' ' + text;
}

std::optional<double> fromSignedNumberForm(const QString& text)
{
    if (const std::optional<double> typed = Conversions::siteTextToNumber(text))
        return typed;
    if (text.count(u'.') != 1 || text.contains(u','))
        return std::nullopt;
    return Conversions::siteTextToNumber(QString(text).replace(u'.', u','));
}

QString checkBoxForm(bool checked)
{
    return signedNumberForm(checked ? 1 : 0);
}

QString singleForm(double value)
{
    return Conversions::numberToSiteText(double(float(value)), 7);
}

} // namespace SettingsKeys
