#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Keyring helpers for tests that run inside tests/support/with-test-session,
// where gnome-keyring-daemon serves the Secret Service on a private bus.
// They use secret-tool, a client independent of the code under test.
namespace KeyringTestSupport {

using Attributes = QMap<QString, QString>;

// The secret of the first item with these attributes, as secret-tool prints
// it; std::nullopt when secret-tool finds none.
std::optional<QByteArray> lookup(const Attributes &attributes);
// Stores `secret` byte for byte in an item with these attributes.
bool store(const Attributes &attributes, const QByteArray &secret, const QString &label = QStringLiteral("test item"));
// Deletes every item with these attributes.
void clear(const Attributes &attributes);
// How many items carry these attributes, locked or not.
int count(const Attributes &attributes);

// Locks the collection that holds new items (the "default" alias), as a screen
// lock does. The test session offers no unlock prompt: its prompter has no
// display, so every unlock request is dismissed. Returns false on failure.
bool lockDefaultCollection();
// Unlocks it again with the session's test password, without a prompt.
bool unlockDefaultCollection();

// Runs a program on a session bus of its own on which no Secret Service runs
// and none can be activated.
TestSupport::ProcessResult
runWithoutSecretService(const QString &program, const QStringList &arguments, const QByteArray &standardInput = {},
                        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace KeyringTestSupport
