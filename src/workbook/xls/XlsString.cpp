#include "workbook/xls/XlsString.h"

XlsString::XlsString(QString text, QByteArray runs, QByteArray phonetic)
    : text(std::move(text))
{
    if (!runs.isEmpty() || !phonetic.isEmpty())
        m_extras = std::make_shared<const Extras>(Extras { std::move(runs), std::move(phonetic) });
}

const QByteArray& XlsString::empty()
{
    static const QByteArray none;
    return none;
}
