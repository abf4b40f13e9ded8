#pragma once

#include "Result.h"
#include "TextEngine.h"

#include <QByteArray>
#include <QImage>

#include <chrono>
#include <optional>

// What the application and its recognition process say to each other over a
// stream socket. Each message is one frame: its length as four bytes (little
// endian), then the message. The application sends a request and waits for
// its answer before it sends the next one.
namespace TextEngineWire {

// Larger frames are refused unread: a full screen at twice the scale is about
// 130 MB of pixels.
constexpr qsizetype maxFrameSize = 512 * 1024 * 1024;

struct Request {
    TextRecognitionSettings settings;
    bool traditionalChineseFirst = false;
    // One of the formats TesseractTextEngine reads, with pixels.
    QImage image;
};

using Answer = Result<QList<TextObservation>>;

QByteArray encodeRequest(const Request &request);
// Nothing when the bytes are not a request of this version of the program, or
// its image is not whole.
std::optional<Request> decodeRequest(const QByteArray &bytes);

QByteArray encodeAnswer(const Answer &answer);
std::optional<Answer> decodeAnswer(const QByteArray &bytes);

// Writes one whole frame; false when the other end has gone. Never raises
// SIGPIPE.
bool writeFrame(int socket, const QByteArray &message);

enum class ReadStatus { Read, Closed, TimedOut, Refused };
struct ReadFrame {
    ReadStatus status = ReadStatus::Closed;
    QByteArray message;
};
// Reads one whole frame, waiting at most `timeout` for all of it (forever when
// negative). Closed: the other end closed or failed before a whole frame;
// Refused: the frame was longer than maxFrameSize.
ReadFrame readFrame(int socket, std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

} // namespace TextEngineWire
