#include "VelloraApp.h"

#include "AIBenchmarkMode.h"
#include "DisplayCheck.h"
#include "KeyImportMode.h"
#include "LibsecretSecretStore.h"
#include "PortalGlobalHotKeys.h"
#include "PortalStartup.h"
#include "RecognitionModes.h"
#include "ScreenRegionCapture.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "TesseractTextEngine.h"
#include "TextEngineProcess.h"
#include "TextEngineService.h"
#include "UserDefaults.h"
#include "VelloraLocalization.h"
#include "X11GlobalHotKeys.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

// How long the end of the tray application waits for a cancelled recognition.
constexpr int EndWaitMs = 1000;

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

// The command-line modes promise their results on standard output and at most
// one failure line on standard error; Qt's own notices (a missing runtime
// folder, font fallbacks) would break that, so only its critical messages pass.
void quietQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
}

// Runs a mode inside a GUI application on the offscreen platform: the modes draw
// and decode images but show nothing, and must work without a display.
int runOffscreen(int argc, char **argv, const std::function<int()> &mode)
{
    quietQtMessages();
    std::vector<char *> arguments(argv, argv + argc);
    char platformFlag[] = "-platform";
    char platformName[] = "offscreen";
    arguments.insert(arguments.begin() + 1, {platformFlag, platformName});
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    QGuiApplication application(count, arguments.data());
    return mode();
}

// Someone who reads the interface in Traditional Chinese mostly reads
// Traditional text: its model reads first.
template <typename Engine> void readLikeTheInterface(Engine &engine, const QString &table)
{
    engine.setTraditionalChineseFirst(table == u"zh-Hant");
}

// The command line reads as the tray application does for this user.
void readLikeTheInterface(TesseractTextEngine &engine)
{
    const UserDefaults defaults;
    readLikeTheInterface(engine, VelloraLocalization::resolvedLanguage(
                                     defaults.string(QStringLiteral("language")).value_or(QStringLiteral("system")),
                                     QLocale::system().uiLanguages()));
}

} // namespace

int VelloraApp::main(int argc, char **argv)
{
    const QStringList arguments = argumentList(argc, argv);

    // Key import: exactly --set-ai-key-stdin.
    if (isMode(arguments, QLatin1StringView("--set-ai-key-stdin"), 2)) {
        quietQtMessages();
        LibsecretSecretStore store;
        QFile input;
        QFile output;
        QFile errorOutput;
        // Unbuffered: reading ahead of the first line would wait for more input.
        if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)
            || !output.open(stdout, QIODevice::WriteOnly) || !errorOutput.open(stderr, QIODevice::WriteOnly))
            return 1;
        return KeyImportMode::run(store, input, output, errorOutput);
    }
    // AI benchmark: exactly --benchmark-ai.
    if (isMode(arguments, QLatin1StringView("--benchmark-ai"), 2)) {
        quietQtMessages();
        QCoreApplication application(argc, argv);
        LibsecretSecretStore store;
        QNetworkAccessManager session;
        const UserDefaults defaults;
        QFile output;
        QFile errorOutput;
        if (!output.open(stdout, QIODevice::WriteOnly) || !errorOutput.open(stderr, QIODevice::WriteOnly))
            return 1;
        return AIBenchmarkMode::run(store, defaults, session, output, errorOutput);
    }
    // OCR benchmark: exactly --benchmark-ocr-file PATH.
    if (isMode(arguments, QLatin1StringView("--benchmark-ocr-file"), 3)) {
        return runOffscreen(argc, argv, [&] {
            TesseractTextEngine engine;
            readLikeTheInterface(engine);
            return RecognitionModes::benchmarkFile(engine, QByteArray(argv[2]));
        });
    }
    // Warm-up benchmark: exactly --benchmark-ocr-warmup.
    if (isMode(arguments, QLatin1StringView("--benchmark-ocr-warmup"), 2)) {
        return runOffscreen(argc, argv, [&] {
            TesseractTextEngine engine;
            readLikeTheInterface(engine);
            return RecognitionModes::benchmarkWarmup(engine);
        });
    }
    // The tray application's recognition process: exactly
    // --text-engine-service, with its socket as standard input. The engine
    // draws nothing, so no GUI application (nor its fonts) is set up.
    if (isMode(arguments, QLatin1StringView(TextEngineService::commandLineFlag), 2)) {
        quietQtMessages();
        QCoreApplication application(argc, argv);
        TesseractTextEngine engine;
        return TextEngineService::serve(engine, STDIN_FILENO);
    }
    // File recognition: exactly --ocr-file PATH.
    if (isMode(arguments, QLatin1StringView("--ocr-file"), 3)) {
        return runOffscreen(argc, argv, [&] {
            TesseractTextEngine engine;
            readLikeTheInterface(engine);
            return RecognitionModes::recognizeFile(engine, QByteArray(argv[2]));
        });
    }

    // The tray application: one per user session and settings file. Without a
    // display Qt would abort with its own lines; one line says why instead.
    if (const std::optional<QByteArray> problem = DisplayCheck::problem()) {
        std::fprintf(stderr, "Vellora needs a display: %s.\n", problem->constData());
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    UserDefaults defaults;
    SingleInstance instance(defaults.fileName() + u'\n' + qEnvironmentVariable("DISPLAY"));
    switch (instance.claim(QApplication::arguments())) {
    case SingleInstance::Role::HandedOver:
        return 0;
    case SingleInstance::Role::OwnerNotAnswering:
        // Two instances on one settings file would fight over it and the hot key.
        std::fputs("Vellora is already running with these settings but does not answer.\n", stderr);
        return 1;
    case SingleInstance::Role::Primary:
    case SingleInstance::Role::Failed:
        break;
    }
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, &QCoreApplication::quit);

    // Recognition runs in a process of its own, this same program, which ends
    // a minute after the last capture and takes the engine's memory with it.
    // /proc/self/exe is the program this process runs even after an update
    // has replaced the file.
    TextEngineProcessOptions recognitionProcess;
    recognitionProcess.program = QStringLiteral("/proc/self/exe");
    recognitionProcess.arguments = QStringList{QString::fromLatin1(TextEngineService::commandLineFlag)};
    TextEngineProcess engine(recognitionProcess);
    LibsecretSecretStore secretStore;
    QNetworkAccessManager network;
    // A Wayland desktop binds global shortcuts through its portal, where it has
    // one; X11 lets the application grab the keys itself.
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // The portal comes up now, for the hot key and ahead of the first capture.
    PortalStartup portalStartup;
    if (wayland)
        portalStartup.start();
    std::unique_ptr<GlobalHotKeys> hotKeys;
    if (wayland) {
        auto portal = std::make_unique<PortalGlobalHotKeys>();
        portal->setDescription(velloraLocalizedStored(QStringLiteral("选区识字并复制")));
        hotKeys = std::move(portal);
    } else {
        hotKeys = std::make_unique<X11GlobalHotKeys>();
    }
    VelloraApp delegate(Services{engine, secretStore, defaults, network, hotKeys.get(),
                                 ScreenRegionCapture::defaultSelectorPath(), QApplication::arguments()});
    if (wayland)
        delegate.setHotKeyRoute(HotKeyRoute::DesktopPortal);
    QObject::connect(&instance, &SingleInstance::received, &delegate, &VelloraApp::handleArguments);
    QObject::connect(&delegate, &VelloraApp::interfaceLanguageApplied, &delegate,
                     [&engine](const QString &table) { readLikeTheInterface(engine, table); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate, &VelloraApp::applicationWillTerminate);
    delegate.applicationDidFinishLaunching();
    QApplication::exec();
    // A recognition still running (the warm-up, or a capture's) is cancelled,
    // not waited for: Tesseract stops at its next word, but some of its steps
    // (loading models, finding the lines of a large page) cannot be cut short.
    // What has to outlive the process was written as the application ended;
    // past a short wait the process ends without the destructors that would
    // wait for the engine's thread.
    engine.cancel();
    if (!QThreadPool::globalInstance()->waitForDone(EndWaitMs)) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
