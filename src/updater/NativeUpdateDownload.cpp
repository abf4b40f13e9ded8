#include "NativeUpdateDownload.h"

#include <algorithm>
#include <cmath>

NativeUpdateDownload::NativeUpdateDownload(qint64 expectedLength)
    : m_expected(expectedLength >= 1 && expectedLength <= ReservationLimit ? expectedLength : 0) {
    if (m_expected > 0)
        m_body.reserve(m_expected);
    m_chunk.reserve(ChunkSize);
}

std::optional<double> NativeUpdateDownload::append(QByteArrayView bytes) {
    std::optional<double> publish;
    while (!bytes.isEmpty()) {
        const qsizetype room = ChunkSize - m_chunk.size();
        const QByteArrayView part = bytes.first(std::min(room, bytes.size()));
        m_chunk.append(part);
        bytes = bytes.sliced(part.size());
        if (m_chunk.size() == ChunkSize) {
            if (const std::optional<double> progress = flushChunk())
                publish = progress;
        }
    }
    return publish;
}

std::optional<double> NativeUpdateDownload::finish() {
    m_body.append(m_chunk);
    m_chunk.resize(0); // keeps its room for the next chunk
    if (!knowsLength())
        return std::nullopt;
    return 1.0;
}

std::optional<double> NativeUpdateDownload::flushChunk() {
    m_body.append(m_chunk);
    m_chunk.resize(0); // keeps its room for the next chunk
    if (!knowsLength())
        return std::nullopt;
    const double fraction = std::min(1.0, static_cast<double>(m_body.size()) / static_cast<double>(m_expected));
    const long long percent = std::llround(fraction * 100.0);
    if (m_publishedPercent == percent)
        return std::nullopt;
    m_publishedPercent = percent;
    return fraction;
}
