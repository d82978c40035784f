#pragma once
#include <QString>

// A value as read from a sheet cell or handed on from one: text, number, date
// (an OLE day number) or Null for an empty cell.
class CellValue
{
public:
    enum class Type
    {
        Null,
        Text,
        Number,
        Date,
    };

    CellValue() = default;
    static CellValue text(const QString& text);
    static CellValue number(double value);
    static CellValue date(double dayNumber);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isText() const { return m_type == Type::Text; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isDate() const { return m_type == Type::Date; }

    // The text as stored for a text cell; the number or date in the site format otherwise; empty for Null.
    QString toText() const;
    // Numeric payload of a number or date cell; 0 otherwise.
    double numberValue() const { return m_number; }

    bool operator==(const CellValue& other) const;

private:
    Type m_type = Type::Null;
    QString m_text;
    double m_number = 0.0;
};
