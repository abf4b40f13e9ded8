#pragma once

#include <QtGlobal>

#include <memory>

// Another X client than the application under test: its own connection to the
// display, holding key grabs on the root window, so a test can make a
// combination "taken" for real.
class XKeyGrabber final {
public:
    XKeyGrabber();
    ~XKeyGrabber();
    XKeyGrabber(const XKeyGrabber &) = delete;
    XKeyGrabber &operator=(const XKeyGrabber &) = delete;

    bool connected() const;
    // Grabs a combination given in the stored vocabulary (macOS key code and
    // modifier mask) with exactly those modifiers; false when the server refused it.
    bool grab(quint32 macKeyCode, quint32 macModifiers);
    void ungrab(quint32 macKeyCode, quint32 macModifiers);

    // Whether some other client holds the combination: a grab of our own is
    // refused. The probe never makes a grab of another client fail.
    static bool heldElsewhere(quint32 macKeyCode, quint32 macModifiers);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
