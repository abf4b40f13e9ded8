#include "VelloraApp.h"

#include <QApplication>

VelloraApp::VelloraApp(QObject *parent) : QObject(parent) {}

VelloraApp::~VelloraApp() = default;

int VelloraApp::main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    VelloraApp delegate;
    QApplication::exec();
    return 0;
}
