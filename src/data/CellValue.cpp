#include "data/CellValue.h"

#include "data/Conversions.h"

CellValue CellValue::text(const QString& text)
{
    CellValue v;
    v.m_type = Type::Text;
    v.m_text = text;
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
