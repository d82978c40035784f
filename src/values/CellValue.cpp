#include "values/CellValue.h"

#include "values/Conversions.h"

#include <new>
#include <utility>

CellValue& CellValue::operator=(const CellValue& other)
{
    if (this == &other)
        return *this;
    if (isText() && other.isText()) {
        m_text = other.m_text;
        return *this;
    }
    this->~CellValue();
    take(other);
    return *this;
}

CellValue& CellValue::operator=(CellValue&& other) noexcept
{
    if (this == &other)
        return *this;
    if (isText() && other.isText()) {
        m_text = std::move(other.m_text);
        return *this;
    }
    this->~CellValue();
    new (this) CellValue(std::move(other));
    return *this;
}

const QString& CellValue::noText()
{
    static const QString none;
    return none;
}

CellValue CellValue::text(const QString& text)
{
    CellValue v;
    new (&v.m_text) QString(text);
    v.m_type = Type::Text;
    return v;
}

CellValue CellValue::text(QString&& text)
{
    CellValue v;
    new (&v.m_text) QString(std::move(text));
    v.m_type = Type::Text;
    return v;
}

CellValue CellValue::number(double value)
{
    CellValue v;
    v.m_type = Type::Number;
    v.m_number = value;
    return v;
}

CellValue CellValue::date(double dayNumber)
{
    CellValue v;
    v.m_type = Type::Date;
    v.m_number = dayNumber;
    return v;
}

CellValue CellValue::boolean(bool value)
{
    CellValue v;
    v.m_type = Type::Boolean;
    v.m_number = value ? 1 : 0;
    return v;
}

CellValue CellValue::error(quint8 code)
{
    CellValue v;
    v.m_type = Type::Error;
    v.m_number = code;
    return v;
}

QString CellValue::toText() const
{
    switch (m_type) {
    case Type::Null:
        return {};
    case Type::Text:
        return m_text;
    case Type::Number:
        return Conversions::numberToSiteText(m_number);
    case Type::Date:
        return Conversions::dateToSiteText(m_number);
    case Type::Boolean:
        return m_number != 0 ? QStringLiteral("VERDADEIRO") : QStringLiteral("FALSO");
    case Type::Error:
        switch (int(m_number)) {
        case 0x00:
            return QStringLiteral("#NULO!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALOR!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NOME?");
        case 0x24:
            return QStringLiteral("#NÚM!");
        default:
            return QStringLiteral("#N/D");
        }
    }
    return {};
}

bool CellValue::operator==(const CellValue& other) const
{
    if (m_type != other.m_type)
        return false;
    if (m_type == Type::Text)
        return m_text == other.m_text;
    return m_type == Type::Null || m_number == other.m_number;
}
