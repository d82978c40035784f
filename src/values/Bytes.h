#pragma once
#include <QByteArray>

#include <cstring>

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

// size bytes of data at the end of bytes, through appendRoom().
inline void append(QByteArray& bytes, const void* data, qsizetype size)
{
    std::memcpy(appendRoom(bytes, size), data, size_t(size));
}

} // namespace Bytes
