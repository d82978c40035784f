#pragma once
#include <vector>

class InventoryTables;
class UserInteraction;

// The order of the readings for the report: by the numeric value of the cost centre, then of the family, then
// by the article's description (an unknown article has none). A stable sort: it gives exactly the order that
// repeated neighbour-exchange passes reach.
namespace ReadingSort {

// Sorts readings 1..NLeituras in place. Gives the article slot of each reading in its new place (0 when it has
// none; index 0 unused), for the report to use without looking the articles up again.
std::vector<int> OrdenarInventarios(InventoryTables& tables, UserInteraction& ui);
// Exchanges the whole contents of readings a and b.
void inverte(InventoryTables& tables, int a, int b);

} // namespace ReadingSort
