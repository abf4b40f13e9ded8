#include "ZipWriter.h"

#include <QtEndian>

#include <array>

namespace {

quint32 crc32(const QByteArray &data) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> result{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            result[n] = c;
        }
        return result;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ static_cast<quint8>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void put16(QByteArray &out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray &out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

void ZipWriter::add(const QByteArray &name, const QByteArray &data, quint32 mode) {
    m_entries.append(Entry{name, data, mode});
}

QByteArray ZipWriter::bytes() const {
    QByteArray out;
    QByteArray central;
    for (const Entry &entry : m_entries) {
        const quint32 offset = static_cast<quint32>(out.size());
        const quint32 crc = crc32(entry.data);
        const auto size = static_cast<quint32>(entry.data.size());
        put32(out, 0x04034b50);
        put16(out, 10);     // version needed
        put16(out, 0);      // flags
        put16(out, 0);      // stored
        put16(out, 0);      // time
        put16(out, 0x21);   // date: 1980-01-01
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<quint16>(entry.name.size()));
        put16(out, 0);
        out += entry.name + entry.data;

        put32(central, 0x02014b50);
        put16(central, (3 << 8) | 30); // made on Unix: the external attributes hold the mode
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0x21);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, static_cast<quint16>(entry.name.size()));
        put16(central, 0); // extra
        put16(central, 0); // comment
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, entry.mode << 16);
        put32(central, offset);
        central += entry.name;
    }
    const auto centralOffset = static_cast<quint32>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<quint16>(m_entries.size()));
    put16(out, static_cast<quint16>(m_entries.size()));
    put32(out, static_cast<quint32>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}
