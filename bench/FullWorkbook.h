#pragma once
#include <QString>

// Writes the largest inventory workbook its format holds: in .xls (BIFF8) 65,535 articles, barcode entries and
// readings, in .xlsx (by the name) the tables' 99,999; and 1,000 families, with Portuguese texts of realistic
// length.
bool writeFullWorkbook(const QString& path, QString* error);
// The path of a full .xls workbook made once per run (TARVIK_FULL_WORKBOOK=PATH keeps it, made when missing,
// for other tools to read).
const QString& fullWorkbook();
// The same in .xlsx (TARVIK_FULL_XLSX=PATH; bench/make-full-xlsx.sh makes one LibreOffice saved).
const QString& fullXlsxWorkbook();
