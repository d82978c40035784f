#include "platform/SettingsKeys.h"

#include "values/Conversions.h"

namespace SettingsKeys {

QString signedNumberForm(double value)
{
    QString text = Conversions::numberToSiteText(value).replace(u',', u'.');
    return text.startsWith(u'-') ? text : u' ' + text;
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
