#pragma once
#include <QString>

#include <memory>

class Clock;
class InventoryTables;
class UserInteraction;

// Article descriptions of realistic length, for the generators.
extern const QString kArticleWords[10];

// 99,999 articles and one reading of each, in a random order, over 1,000 families and 10 cost centres.
std::unique_ptr<InventoryTables> fullReadings(UserInteraction& ui, const Clock& clock);
// A workbook whose Contabilistica$ holds the 1,000 families, each with its account.
bool writeAccounts(const QString& path, QString* error);
// The report of fullReadings, written to path (a folder of its own holds the accounts' workbook).
bool writeFullReport(const QString& path, QString* error);
