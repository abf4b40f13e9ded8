#pragma once

#include "Result.h"

#include <QMetaType>
#include <QObject>

// System-wide key combinations that reach this application whichever window
// has the keyboard focus. Combinations are given in the stored vocabulary
// (macOS virtual key codes and the 256/512/2048/4096 modifier mask, see
// KeyCodeTable); each registration carries an identifier that comes back with
// every press.
class GlobalHotKeys : public QObject {
    Q_OBJECT

public:
    // Tags a registration; the pair is handed back unchanged with each press.
    struct HotKeyId {
        quint32 signature = 0;
        quint32 identifier = 0;

        friend bool operator==(const HotKeyId &, const HotKeyId &) = default;
    };

    // Identifies one registration; never 0 for a successful one.
    using Handle = quint64;

    // Codes of the errors in ErrorDomain.
    enum ErrorCode : qint64 {
        // Another client holds the combination (X11 BadAccess), or this object
        // has already registered it.
        Refused = 1,
        // The key code has no key here, or the mask holds bits other than the four.
        Unmappable = 2,
        // No display that supports global hot keys (Wayland, offscreen).
        Unavailable = 3,
        // The display failed the request for another reason.
        Failed = 4,
    };
    static constexpr char16_t ErrorDomain[] = u"Vellora.HotKey";

    explicit GlobalHotKeys(QObject *parent = nullptr)
        : QObject(parent) {}
    GlobalHotKeys(const GlobalHotKeys &) = delete;
    GlobalHotKeys &operator=(const GlobalHotKeys &) = delete;
    ~GlobalHotKeys() override = default;

    // Grabs one combination: keyCode a macOS virtual key code, modifiers a mask
    // of 256 Command, 512 Shift, 2048 Option, 4096 Control. An Error (domain
    // ErrorDomain, a non-zero ErrorCode) when it is refused or cannot be mapped;
    // nothing stays grabbed then. A backend whose desktop answers later returns
    // the handle and may report a refusal through registrationFailed(). Main
    // thread only.
    virtual Result<Handle> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyId id) = 0;

    // Releases one registration; unknown handles are ignored. Main thread only.
    virtual void unregisterHotKey(Handle handle) = 0;

signals:
    // A registration that the desktop answers later (a portal, which may ask
    // the user first) was refused after registerHotKey() had returned its
    // handle; the handle is released. error: Refused when the desktop or the
    // user said no, Unavailable when the desktop offers no global hot keys.
    void registrationFailed(GlobalHotKeys::Handle handle, const Error &error);
    // A registered combination was pressed (once per press: a held key's
    // repeats are not reported). Delivered on the main thread from the event
    // loop, after the native event has been handled.
    void hotKeyPressed(GlobalHotKeys::HotKeyId id);
};

Q_DECLARE_METATYPE(GlobalHotKeys::HotKeyId)
Q_DECLARE_METATYPE(Error)
