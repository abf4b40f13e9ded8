#pragma once

#include "ImageDecoding.h"
#include "Result.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QProcess;
class QProcessEnvironment;

// Lets the user drag a rectangle on the screen and hands back its pixels. The
// selection itself is vellora-screencapture, started as a child process that
// writes a PNG into a private temporary folder; the image is decoded into memory
// and the folder removed again. One capture at a time. Main thread only, except
// the static operations, which any thread may call.
class ScreenRegionCapture final : public QObject {
    Q_OBJECT

public:
    // An image, nothing when the user cancelled the selection, or an error.
    using Outcome = Result<std::optional<QImage>>;

    static constexpr qint64 MaximumPixels = ImageDecoding::MaximumPixels;

    // selectorPath: the selector executable; by default the one beside this executable.
    explicit ScreenRegionCapture(const QString &selectorPath = defaultSelectorPath(), QObject *parent = nullptr);
    ~ScreenRegionCapture() override;

    // Whether a selection is running.
    bool isRunning() const;

    // Ends a running selection at once, as the application quits: the selector
    // is told to end and the capture gives nothing. Blocks for at most a few
    // seconds. The destructor does the same.
    void stop();

    // Removes this user's capture folders that no running capture holds: those
    // that an instance left behind when it was killed. Blocks on the file
    // system; any thread may call it.
    static void removeAbandonedFolders();

    // Starts the interactive selection and finishes the future on this object's
    // thread when it ends. Never blocks. While one runs, a second call fails at
    // once and leaves the first alone.
    QFuture<Outcome> capture();

    // How a desktop lets an application read the screen: whether the user must
    // allow it at all (never on X11), and the settings panel where that is done,
    // where the desktop has one.
    struct PermissionSetup {
        bool required = false;
        // The panel's program and arguments; an empty program: no panel to open.
        QString settingsProgram;
        QStringList settingsArguments;

        bool hasSettings() const { return !settingsProgram.isEmpty(); }
        friend bool operator==(const PermissionSetup &, const PermissionSetup &) = default;
    };
    // The setup of this session.
    static PermissionSetup permissionSetup();
    // The setup of a session with this environment; findExecutable gives the
    // path of a program, findApplication that of an application's desktop entry
    // ("kcm_app-permissions.desktop"), each an empty text where it is not installed.
    static PermissionSetup permissionSetup(const QProcessEnvironment &environment,
                                           const std::function<QString(const QString &)> &findExecutable,
                                           const std::function<QString(const QString &)> &findApplication);

    // Whether this session has a way to read the screen: an X11 display, or a
    // Wayland desktop whose portal is asked when the selection starts.
    static bool permissionGranted();
    // Opens the desktop's panel for the permission; false where there is none,
    // and then nothing happens.
    static bool requestPermission();
    // The error that tells the user to grant screen recording (code 1).
    static Error permissionError();
    // Decodes a capture into sRGB premultiplied RGBA, refusing images larger than
    // MaximumPixels before decoding them.
    static Result<QImage> decodeCapture(const QString &path);

    static QString defaultSelectorPath();

private:
    QString m_selectorPath;
    std::unique_ptr<QProcess> m_process;
};
