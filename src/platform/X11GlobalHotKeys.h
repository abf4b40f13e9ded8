#pragma once

#include "GlobalHotKeys.h"

#include <memory>

// Global hot keys on X11: passive key grabs on the root window of every screen,
// made on Qt's own xcb connection, with presses read by a native event filter.
// Each combination is grabbed together with its Caps Lock and Num Lock
// variants, so the hot key works whatever the lock keys' state. Needs a
// QGuiApplication on the xcb platform; elsewhere every registration fails with
// GlobalHotKeys::Unavailable. Everything runs on the main thread.
class X11GlobalHotKeys final : public GlobalHotKeys {
    Q_OBJECT

public:
    explicit X11GlobalHotKeys(QObject *parent = nullptr);
    // Releases every grab this object still holds.
    ~X11GlobalHotKeys() override;

    Result<Handle> registerHotKey(quint32 keyCode, quint32 modifiers, HotKeyId id) override;
    void unregisterHotKey(Handle handle) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
