#pragma once

// How the capture hot key reaches the application on this desktop.
enum class HotKeyRoute {
    // X11: the application grabs the combination itself.
    KeyGrab,
    // Wayland with the global shortcuts portal: the desktop binds it for us.
    DesktopPortal,
    // Wayland without that portal: the desktop's own keyboard settings run
    // `vellora --capture`, which the running instance answers.
    DesktopSettings,
};
