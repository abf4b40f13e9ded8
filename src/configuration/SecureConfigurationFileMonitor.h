#pragma once

#include <QString>

#include <functional>
#include <memory>

// Tells its owner when one configuration file was changed, replaced, moved or
// deleted by anybody: a sync client, another program, or this application.
// It watches the file's folder (inotify, read on a thread of its own) and
// filters the events down to the file itself and to the conflict copies that
// sync clients leave beside it (a conflict arriving or being resolved changes
// what the file reads as). It does not read the file and does not debounce.
//
// The folder need not exist: until it does, its nearest existing ancestor is
// watched, and the folder's creation (with the file in it) counts as a change;
// so does the folder's removal.
//
// start(), stop() and destruction on the thread that made the monitor (the GUI
// thread); onChange is called on that thread too, once per relevant event, and
// never after stop() or destruction.
class SecureConfigurationFileMonitor final {
public:
    SecureConfigurationFileMonitor(const QString &path, std::function<void()> onChange);
    SecureConfigurationFileMonitor(const SecureConfigurationFileMonitor &) = delete;
    SecureConfigurationFileMonitor &operator=(const SecureConfigurationFileMonitor &) = delete;
    // Stops first when monitoring.
    ~SecureConfigurationFileMonitor();

    // The folder that holds the file, as given (not cleaned).
    QString directory() const { return m_directory; }
    // The watched file, cleaned and absolute.
    QString watchedPath() const { return m_watchedPath; }
    bool monitoring() const;

    // Starts watching; a second start() does nothing. False when the system
    // refuses a watch (too many watches or open files); it stays stopped then.
    bool start();
    // Stops watching; does nothing when stopped. Pending calls are dropped.
    void stop();

private:
    class Watcher;

    QString m_directory;
    QString m_watchedPath;
    std::function<void()> m_onChange;
    std::unique_ptr<Watcher> m_watcher;
};
