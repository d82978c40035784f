#pragma once
#include <QByteArray>

namespace Bytes {

// Room for size more bytes at the end of bytes, returned for the caller to fill: the saves, the report and the
// terminal's lists write millions of small pieces. While the array owns room enough this is what
// QByteArray::resize() does, without the call; only a growth goes through it.
inline char* appendRoom(QByteArray& bytes, qsizetype size)
{
    QByteArray::DataPointer& d = bytes.data_ptr();
    const qsizetype at = d.size;
    if (d.needsDetach() || d.freeSpaceAtEnd() < size) {
        bytes.resize(at + size);
        return bytes.data() + at;
    }
    d.size = at + size;
    d.data()[d.size] = '\0'; // the array keeps a byte past its capacity for this
    return d.data() + at;
}

} // namespace Bytes
