#include "VelloraApp.h"

int main(int argc, char **argv)
{
    // The updater's relaunch helper and archive verification are offered the
    // arguments first; they come with the updater.
    return VelloraApp::main(argc, argv);
}
