#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The body of an update archive as it arrives: gathered in 64 KiB chunks, with
// room reserved up front when the server announces a length up to 512 MiB, and
// progress worth publishing only when its whole percent changes.
class NativeUpdateDownload final {
public:
    static constexpr qsizetype ChunkSize = 65536;
    static constexpr qint64 ReservationLimit = 536870912;

    // expectedLength: the announced length, or 0 or less when none was announced.
    explicit NativeUpdateDownload(qint64 expectedLength);

    // Whether progress can be told: the length is known (and reserved).
    bool knowsLength() const { return m_expected > 0; }

    // Takes arriving bytes. Returns the fraction (at most 1) to publish when a
    // filled chunk moved the whole percent; nothing otherwise.
    std::optional<double> append(QByteArrayView bytes);
    // Adds the last, partly filled chunk. Returns 1 when the length is known.
    std::optional<double> finish();

    qint64 size() const { return m_body.size() + m_chunk.size(); }
    const QByteArray &body() const { return m_body; }

private:
    std::optional<double> flushChunk();

    qint64 m_expected;
    QByteArray m_body;
    QByteArray m_chunk;
    std::optional<long long> m_publishedPercent;
};
