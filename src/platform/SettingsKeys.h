#pragma once
#include <QString>

#include <optional>

// The settings under application Tarvik, section Startup: each key with the default its readers pass,
// and the stored forms the settings window writes.
namespace SettingsKeys {

struct Key
{
    const char16_t* name;
    const char16_t* defaultValue;
};

inline constexpr Key COM { u"COM", u"1" };
inline constexpr Key NomeEstabelecimento { u"NomeEstabelecimento", u"ESTABELECIMENTO" };
inline constexpr Key InventariosQel { u"InventariosQel", u"c:\\InventariosQel.xls" };
inline constexpr Key FicheiroDeReport { u"FicheiroDeReport", u"c:\\Report.txt" };
// The settings window shows its own default for the report file.
inline constexpr Key FicheiroDeReportNaJanela { u"FicheiroDeReport", u"c:\\report.txt" };
inline constexpr Key LinhasPorPagina { u"LinhasPorPagina", u"80" };
inline constexpr Key NumerodeCaracteres { u"NumerodeCaracteres", u"100" };
inline constexpr Key AutoDescarrega { u"AutoDescarrega", u"0" };
inline constexpr Key AutoAbrevia { u"AutoAbrevia", u"0" };
inline constexpr Key Margem { u"Margem", u"10" };
inline constexpr Key CommPort { u"CommPort", u"1" };
inline constexpr Key FontSize { u"FontSize", u"8" };
inline constexpr Key FontName { u"FontName", u"Courier New" };
// The terminal maker's library; empty for the simulated terminal.
inline constexpr Key RioComLibrary { u"RioComLibrary", u"" };

// A number with a blank (or "-") in front and "." as the decimal point: " 1", " 10", "-2.5".
QString signedNumberForm(double value);
// The number in a signed number form, or in the site format as a person types it (" 10.5", "10,5", "10").
std::optional<double> fromSignedNumberForm(const QString& text);
// A check box state as stored: " 0" or " 1".
QString checkBoxForm(bool checked);
// A single-precision number in the site format ("8", "10,5").
QString singleForm(double value);

} // namespace SettingsKeys
