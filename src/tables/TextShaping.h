#pragma once
#include <QString>

// Texts made fit for the terminal's narrow single-byte fields. Every function returns a new text.
namespace TextShaping {

// Accented letters and a few symbols replaced by plain characters; the length does not change.
QString TiraAcentos(const QString& text);
// At most n characters: the longest words are abbreviated with a full stop, one character at a time. When
// no word can be abbreviated any more, the text as given is cut to n. A negative n counts as 0.
QString AbreviaDescricao(const QString& text, qint16 n);
// Trimmed of blanks at both ends, every run of blanks made one blank.
QString RetiraEspacosDuplos(const QString& text);
// Without its character at position p (from 1), trimmed at both ends; a position outside the text removes nothing.
QString RetiraCaracter(const QString& text, int p);

} // namespace TextShaping
