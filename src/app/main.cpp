#include "PersistentClipboard.h"
#include "VelloraApp.h"

int main(int argc, char **argv)
{
    // A detached copy of this executable that keeps a copied text on the clipboard.
    if (const std::optional<int> status = PersistentClipboard::runOwnerIfRequested(argc, argv))
        return *status;

    // The updater's relaunch helper and archive verification are offered the
    // arguments first; they come with the updater.
    return VelloraApp::main(argc, argv);
}
