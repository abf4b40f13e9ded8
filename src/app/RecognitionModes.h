#pragma once

#include <QByteArray>

class TextEngine;

// The command-line modes that recognise an image file or time the recogniser.
// Their messages are fixed texts, never translated. Paths are the command
// line's own bytes: a file name need not be valid UTF-8.
namespace RecognitionModes {

// --benchmark-ocr-file PATH: prints "ocr_seconds=… output_characters=…"; 0, or 1 on failure.
int benchmarkFile(TextEngine &engine, const QByteArray &path);

// --benchmark-ocr-warmup: prints "warmup_seconds=… recognized=true|false"; always 0.
// Needs a QGuiApplication (the sample is drawn with a font).
int benchmarkWarmup(TextEngine &engine);

// --ocr-file PATH: copies the text and prints it; 0, 1 on a recognition or
// clipboard failure, 2 when no text was recognised.
int recognizeFile(TextEngine &engine, const QByteArray &path);

} // namespace RecognitionModes
