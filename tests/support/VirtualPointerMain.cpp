// vellora-test-pointer: a pointer for a headless wlroots desktop, which has no
// input devices of its own. It creates a virtual pointer (the wlroots protocol
// zwlr_virtual_pointer_v1; while it lives the seat offers clients a pointer)
// and moves and clicks it as told on standard input, one command a line:
//   move X Y WIDTH HEIGHT   absolute, in a layout box of WIDTH x HEIGHT
//   press | release         the left button
// It prints "ready" once the pointer exists and "ok" after each command has
// reached the compositor; it ends at the end of its input.
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>

#include <linux/input-event-codes.h>

namespace {

// The protocol's two interfaces, written out as wayland-scanner would: the
// requests in the order of the protocol's definition.
extern const wl_interface virtualPointerInterface;
const wl_interface *noTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_interface *createTypes[] = {&wl_seat_interface, &virtualPointerInterface};
const wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},          {"motion_absolute", "uuuuu", noTypes}, {"button", "uuu", noTypes},
    {"axis", "uuf", noTypes},            {"frame", "", noTypes},                {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes},        {"axis_discrete", "uufi", noTypes},    {"destroy", "", noTypes},
};
const wl_message managerRequests[] = {
    {"create_virtual_pointer", "?on", createTypes},
    {"destroy", "", noTypes},
};
const wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, managerRequests, 0, nullptr};

enum PointerRequest : uint32_t { MotionAbsolute = 1, Button = 2, Frame = 4, Destroy = 8 };
enum ManagerRequest : uint32_t { CreateVirtualPointer = 0, DestroyManager = 1 };

struct Globals {
    wl_seat *seat = nullptr;
    wl_proxy *manager = nullptr;
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, managerInterface.name) == 0)
        globals->manager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &managerInterface, 1));
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

uint32_t milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

} // namespace

int main()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("no Wayland display\n", stderr);
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        std::fputs("the compositor offers no virtual pointers\n", stderr);
        return 1;
    }
    wl_proxy *pointer = wl_proxy_marshal_constructor(globals.manager, CreateVirtualPointer, &virtualPointerInterface,
                                                     globals.seat, nullptr);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "move") {
            uint32_t x = 0, y = 0, width = 0, height = 0;
            words >> x >> y >> width >> height;
            wl_proxy_marshal(pointer, MotionAbsolute, milliseconds(), x, y, width, height);
        } else if (command == "press" || command == "release") {
            wl_proxy_marshal(pointer, Button, milliseconds(), uint32_t(BTN_LEFT),
                             uint32_t(command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                         : WL_POINTER_BUTTON_STATE_RELEASED));
        } else {
            std::cout << "unknown" << std::endl;
            continue;
        }
        wl_proxy_marshal(pointer, Frame);
        wl_display_roundtrip(display);
        std::cout << "ok" << std::endl;
    }
    wl_proxy_marshal(pointer, Destroy);
    wl_proxy_destroy(pointer);
    wl_proxy_marshal(globals.manager, DestroyManager);
    wl_proxy_destroy(globals.manager);
    wl_seat_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
