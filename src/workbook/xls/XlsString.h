#pragma once
#include <QByteArray>
#include <QString>

#include <memory>

// A string of the shared-string table: its text with its rich-text runs and phonetic data as stored. Few strings
// have either, and a large workbook holds hundreds of thousands of strings: the two are kept apart when present.
class XlsString
{
public:
    XlsString() = default;
    explicit XlsString(QString text, QByteArray runs = {}, QByteArray phonetic = {});

    const QByteArray& runs() const { return m_extras ? m_extras->runs : empty(); }
    const QByteArray& phonetic() const { return m_extras ? m_extras->phonetic : empty(); }

    QString text;

private:
    struct Extras
    {
        QByteArray runs;
        QByteArray phonetic;
    };
    static const QByteArray& empty();

    std::shared_ptr<const Extras> m_extras;
};
