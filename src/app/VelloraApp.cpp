#include "VelloraApp.h"

#include <QApplication>

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The modes match their flag and exact argument count; anything else is the tray app.
bool isMode(const QStringList &arguments, QLatin1StringView flag, qsizetype count)
{
    return arguments.size() == count && arguments.at(1) == flag;
}

} // namespace

VelloraApp::VelloraApp(QObject *parent) : QObject(parent) {}

VelloraApp::~VelloraApp() = default;

int VelloraApp::main(int argc, char **argv)
{
    const QStringList arguments = argumentList(argc, argv);

    // Key import: exactly --set-ai-key-stdin.
    // AI benchmark: exactly --benchmark-ai.
    // OCR benchmark: exactly --benchmark-ocr-file PATH.
    // Warm-up benchmark: exactly --benchmark-ocr-warmup.
    // File recognition: exactly --ocr-file PATH.
    Q_UNUSED(isMode);

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    VelloraApp delegate;
    QApplication::exec();
    return 0;
}
