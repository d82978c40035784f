#pragma once

class QPrinter;
class QWidget;
class ReportPages;
class SettingsStore;

// The report on a printer the user picks in the system's print dialog (or a PDF file offered there).
namespace ReportPrinter {

// The print dialog over printer, A4 with 10 mm margins preset; false when the user cancels.
bool choose(QPrinter& printer, QWidget* parent);
// Prints the pages of the printer's range on its paper in the settings' font; false when the printer failed.
bool print(const ReportPages& pages, const SettingsStore& settings, QPrinter& printer);

} // namespace ReportPrinter
