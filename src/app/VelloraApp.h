#pragma once

#include <QObject>
#include <QStringList>

// The application delegate: the one long-lived object of the tray application,
// and, through main(), the dispatcher of the command-line modes.
class VelloraApp final : public QObject {
    Q_OBJECT

public:
    explicit VelloraApp(QObject *parent = nullptr);
    ~VelloraApp() override;

    // Runs the command-line mode that the arguments name, or the tray application.
    // Returns the process's exit status. Must be called on the main thread.
    static int main(int argc, char **argv);
};
