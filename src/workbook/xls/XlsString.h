#pragma once
#include <QByteArray>
#include <QString>

// A string of the shared-string table: its text with its rich-text runs and phonetic data as stored.
struct XlsString
{
    QString text;
    QByteArray runs;
    QByteArray phonetic;
};
