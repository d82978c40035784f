#pragma once
#include <QByteArray>

namespace Bytes {

// Room for size more bytes at the end of bytes, returned for the caller to fill: the saves, the report and the
// terminal's lists write millions of small pieces, and a resize costs a fraction of a general append.
inline char* appendRoom(QByteArray& bytes, qsizetype size)
{
    const qsizetype at = bytes.size();
    bytes.resize(at + size);
    return bytes.data() + at;
}

} // namespace Bytes
