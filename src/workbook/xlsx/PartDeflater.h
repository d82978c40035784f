#pragma once
#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// A part deflated as it is written, kept as a one-part zip archive for XlsxPackage::compose() to take as it
// is: a sheet of a hundred megabytes of XML never needs to be held whole, and several sheets deflate on
// several threads at once.
class PartDeflater
{
public:
    PartDeflater();
    ~PartDeflater();
    PartDeflater(const PartDeflater&) = delete;
    PartDeflater& operator=(const PartDeflater&) = delete;

    void write(QByteArrayView bytes);
    // The archive; false when zlib failed (out of memory).
    bool finish(QByteArray* archive);

private:
    struct Stream;
    bool deflateInto(int flush);

    std::unique_ptr<Stream> m_stream;
    QByteArray m_data; // room for the local header, then the deflated bytes so far
    quint32 m_crc = 0;
    qint64 m_size = 0;
    bool m_failed = false;
};
