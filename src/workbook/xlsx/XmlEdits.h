#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Small changes to the XML of a package's parts (relationships, content types, styles, the workbook), made
// in the text as it stands so that everything else in the part stays byte for byte.
namespace XmlEdits {

// The part with the attribute of the first element so named set (added when missing); unchanged when the
// element is not there.
QByteArray withAttribute(const QByteArray& xml, QByteArrayView element, QByteArrayView name, QByteArrayView value);
// The part without the first element so named whose attribute has that value (ids and part names, whose
// case does not count).
QByteArray withoutElement(
    const QByteArray& xml, QByteArrayView element, QByteArrayView attribute, const QString& value);
// Puts child at the end of the first element so named, raising its count attribute by one; without such an
// element, one is made just inside the start tag of `parent`. False when neither is there.
bool appendChild(QByteArray& xml, QByteArrayView element, QByteArrayView parent, const QByteArray& child);

} // namespace XmlEdits
