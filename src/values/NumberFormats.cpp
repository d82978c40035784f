#include "values/NumberFormats.h"

namespace NumberFormats {

bool isBuiltInDate(int index)
{
    return (index >= 14 && index <= 22) || (index >= 27 && index <= 36) || (index >= 45 && index <= 47)
        || (index >= 50 && index <= 58);
}

bool isDate(const QString& format)
{
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            if (close < 0)
                return false;
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = format.indexOf(u']', i + 1);
            if (close < 0)
                return false;
            const QString inside = format.mid(i + 1, close - i - 1).toLower();
            if (!inside.isEmpty()
                && (inside.count(u'h') == inside.size() || inside.count(u'm') == inside.size()
                    || inside.count(u's') == inside.size()))
                return true;
            i = close;
        } else {
            switch (c.toLower().unicode()) {
            case u'd':
            case u'm':
            case u'y':
            case u'h':
            case u's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

} // namespace NumberFormats
