#pragma once
#include <QString>

#include <new>

// A value as read from a sheet cell or handed on from one: text, number, date (an OLE day number) or Null
// for an empty cell; a workbook may also hold booleans and error values (the cached results of formulas).
class CellValue
{
public:
    enum class Type : quint8
    {
        Null,
        Text,
        Number,
        Date,
        Boolean,
        Error,
    };

    // Copies, moves and destruction are inline: a full workbook's load makes millions of them.
    CellValue() { }
    CellValue(const CellValue& other) { take(other); }
    CellValue(CellValue&& other) noexcept
    {
        if (other.isText()) {
            new (&m_text) QString(std::move(other.m_text));
            m_type = Type::Text;
        } else {
            take(other);
        }
    }
    CellValue& operator=(const CellValue& other);
    CellValue& operator=(CellValue&& other) noexcept;
    ~CellValue()
    {
        if (isText())
            m_text.~QString();
    }
    static CellValue text(const QString& text);
    static CellValue text(QString&& text);
    static CellValue number(double value);
    static CellValue date(double dayNumber);
    static CellValue boolean(bool value);
    // code is the workbook's error code (0x07 is #DIV/0!).
    static CellValue error(quint8 code);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isText() const { return m_type == Type::Text; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isDate() const { return m_type == Type::Date; }
    bool isBoolean() const { return m_type == Type::Boolean; }

    // The text as stored for a text cell; the number or date in the site format; VERDADEIRO or FALSO; an error
    // as the Portuguese spreadsheet shows it (#DIV/0!, #N/D, ...); empty for Null.
    QString toText() const;
    // The text of a text cell without a copy; empty for the other types.
    const QString& storedText() const { return isText() ? m_text : noText(); }
    // Numeric payload of a number or date cell, 1 or 0 for a boolean, the code of an error; 0 for the others.
    double numberValue() const { return isText() ? 0.0 : m_number; }

    bool operator==(const CellValue& other) const;

private:
    static const QString& noText();
    // Takes other's payload into this value, which holds none.
    void take(const CellValue& other)
    {
        if (other.isText())
            new (&m_text) QString(other.m_text);
        else
            m_number = other.m_number;
        m_type = other.m_type;
    }

    // A workbook holds millions of cells: a value holds its text or its number, not both.
    union {
        QString m_text;
        double m_number = 0.0;
    };
    Type m_type = Type::Null;
};
