#pragma once
#include <QString>

// Writes the largest inventory workbook BIFF8 holds: 65,535 articles, barcode entries and readings and
// 1,000 families, with Portuguese texts of realistic length.
bool writeFullWorkbook(const QString& path, QString* error);
// The path of a full workbook made once per run (TARVIK_FULL_WORKBOOK=PATH keeps it, made when missing, for
// other tools to read).
const QString& fullWorkbook();
