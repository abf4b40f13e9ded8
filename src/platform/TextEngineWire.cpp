#include "TextEngineWire.h"

#include "ScreenImagePreparation.h"

#include <QDataStream>
#include <QIODevice>

#include <array>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TextEngineWire {

namespace {

// Changes whenever the messages change, so that an application updated in
// place never talks to a recognition process of another version.
constexpr quint32 requestMagic = 0x56544531; // "VTE1"
constexpr quint32 answerMagic = 0x56544131;  // "VTA1"
constexpr QDataStream::Version streamVersion = QDataStream::Qt_6_4;

// Pixels per row without the row padding QImage keeps.
qsizetype rowBytes(const QImage &image) {
    return (static_cast<qsizetype>(image.width()) * image.depth() + 7) / 8;
}

} // namespace

QByteArray encodeRequest(const Request &request) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    const TextRecognitionSettings &settings = request.settings;
    out << requestMagic << static_cast<qint32>(settings.recognitionLevel) << settings.usesLanguageCorrection
        << settings.recognitionLanguages << settings.automaticallyDetectsLanguage << settings.usesCPUOnly
        << request.traditionalChineseFirst;
    const QImage &image = request.image;
    out << static_cast<qint32>(image.format()) << static_cast<qint32>(image.width())
        << static_cast<qint32>(image.height());
    const qsizetype row = rowBytes(image);
    for (int y = 0; y < image.height(); ++y)
        out.writeRawData(reinterpret_cast<const char *>(image.constScanLine(y)), static_cast<int>(row));
    return bytes;
}

std::optional<Request> decodeRequest(const QByteArray &bytes) {
    QDataStream in(bytes);
    in.setVersion(streamVersion);
    quint32 magic = 0;
    qint32 level = 0;
    Request request;
    TextRecognitionSettings &settings = request.settings;
    in >> magic >> level >> settings.usesLanguageCorrection >> settings.recognitionLanguages >>
        settings.automaticallyDetectsLanguage >> settings.usesCPUOnly >> request.traditionalChineseFirst;
    qint32 format = 0;
    qint32 width = 0;
    qint32 height = 0;
    in >> format >> width >> height;
    if (in.status() != QDataStream::Ok || magic != requestMagic)
        return std::nullopt;
    if (level != static_cast<qint32>(TextRecognitionSettings::Level::Accurate) &&
        level != static_cast<qint32>(TextRecognitionSettings::Level::Fast))
        return std::nullopt;
    settings.recognitionLevel = static_cast<TextRecognitionSettings::Level>(level);
    if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats ||
        !ScreenImagePreparation::isReadableFormat(static_cast<QImage::Format>(format)) || width <= 0 || height <= 0)
        return std::nullopt;
    // The pixels that are left must be exactly the image's rows.
    const qsizetype left = bytes.size() - in.device()->pos();
    const qsizetype bytesPerPixel = QImage::toPixelFormat(static_cast<QImage::Format>(format)).bitsPerPixel() / 8;
    if (bytesPerPixel <= 0 || left != static_cast<qsizetype>(width) * height * bytesPerPixel)
        return std::nullopt;
    QImage image(width, height, static_cast<QImage::Format>(format));
    if (image.isNull())
        return std::nullopt;
    const qsizetype row = rowBytes(image);
    const char *pixels = bytes.constData() + in.device()->pos();
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + y * row, static_cast<size_t>(row));
    request.image = std::move(image);
    return request;
}

QByteArray encodeAnswer(const Answer &answer) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(streamVersion);
    out << answerMagic << answer.ok();
    if (answer.ok()) {
        out << static_cast<qint32>(answer.value().size());
        for (const TextObservation &observation : answer.value())
            out << observation.candidates;
    } else {
        out << answer.error().domain << answer.error().code << answer.error().description;
    }
    return bytes;
}

std::optional<Answer> decodeAnswer(const QByteArray &bytes) {
    QDataStream in(bytes);
    in.setVersion(streamVersion);
    quint32 magic = 0;
    bool ok = false;
    in >> magic >> ok;
    if (in.status() != QDataStream::Ok || magic != answerMagic)
        return std::nullopt;
    if (!ok) {
        Error error;
        in >> error.domain >> error.code >> error.description;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        return Answer(error);
    }
    qint32 count = 0;
    in >> count;
    if (count < 0)
        return std::nullopt;
    QList<TextObservation> observations;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        TextObservation observation;
        in >> observation.candidates;
        observations << observation;
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return Answer(observations);
}

bool writeFrame(int socket, const QByteArray &message) {
    const auto size = static_cast<quint32>(message.size());
    const std::array<char, 4> header = {static_cast<char>(size & 0xff), static_cast<char>((size >> 8) & 0xff),
                                        static_cast<char>((size >> 16) & 0xff), static_cast<char>(size >> 24)};
    const auto sendAll = [socket](const char *data, qsizetype length) {
        while (length > 0) {
            const ssize_t sent = ::send(socket, data, static_cast<size_t>(length), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            data += sent;
            length -= sent;
        }
        return true;
    };
    return sendAll(header.data(), header.size()) && sendAll(message.constData(), message.size());
}

namespace {

// Reads exactly `length` bytes before the deadline.
ReadStatus readAll(int socket, char *data, qsizetype length, std::chrono::steady_clock::time_point deadline,
                   bool waitForever) {
    while (length > 0) {
        int wait = -1;
        if (!waitForever) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return ReadStatus::TimedOut;
            wait = static_cast<int>(std::min<qint64>(left.count(), 60'000));
        }
        pollfd ready{socket, POLLIN, 0};
        const int polled = ::poll(&ready, 1, wait);
        if (polled < 0 && errno != EINTR)
            return ReadStatus::Closed;
        if (polled <= 0)
            continue;
        const ssize_t got = ::recv(socket, data, static_cast<size_t>(length), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return ReadStatus::Closed;
        data += got;
        length -= got;
    }
    return ReadStatus::Read;
}

} // namespace

ReadFrame readFrame(int socket, std::chrono::milliseconds timeout) {
    const bool waitForever = timeout.count() < 0;
    const auto deadline = std::chrono::steady_clock::now() + (waitForever ? std::chrono::milliseconds(0) : timeout);
    ReadFrame frame;
    std::array<unsigned char, 4> header{};
    frame.status = readAll(socket, reinterpret_cast<char *>(header.data()), header.size(), deadline, waitForever);
    if (frame.status != ReadStatus::Read)
        return frame;
    const quint32 size = header[0] | (header[1] << 8) | (header[2] << 16) | (static_cast<quint32>(header[3]) << 24);
    if (size > static_cast<quint32>(maxFrameSize)) {
        frame.status = ReadStatus::Refused;
        return frame;
    }
    frame.message.resize(static_cast<qsizetype>(size));
    frame.status = readAll(socket, frame.message.data(), frame.message.size(), deadline, waitForever);
    if (frame.status != ReadStatus::Read)
        frame.message.clear();
    return frame;
}

} // namespace TextEngineWire
