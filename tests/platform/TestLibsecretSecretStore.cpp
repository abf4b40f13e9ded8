#include "LibsecretSecretStore.h"

#include "KeyringTestSupport.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QFuture>
#include <QtConcurrent>
#include <QTest>

// Runs against the gnome-keyring-daemon of tests/support/with-test-session.
class TestLibsecretSecretStore final : public QObject {
    Q_OBJECT

    const SecretStore::Attributes m_item{{"service", "vellora.test.secret-store"}, {"account", "first"}};
    const SecretStore::Attributes m_other{{"service", "vellora.test.secret-store"}, {"account", "second"}};

    static bool isChild() { return qEnvironmentVariableIsSet("VELLORA_TEST_SECRET_STORE_CHILD"); }

private slots:
    void init() {
        if (isChild())
            return;
        KeyringTestSupport::clear(m_item);
        KeyringTestSupport::clear(m_other);
    }

    void cleanupTestCase() { init(); }

    void missingItemIsAnOutcomeNotAnError() {
        LibsecretSecretStore store;
        const auto read = store.read(m_item);
        QVERIFY(read.ok());
        QVERIFY(!read.value().has_value());
        const auto updated = store.update(m_item, "value");
        QVERIFY(updated.ok());
        QVERIFY(!updated.value());
        QCOMPARE(KeyringTestSupport::count(m_item), 0);
        const auto removed = store.remove(m_item);
        QVERIFY(removed.ok());
        QVERIFY(!removed.value());
    }

    void addReportsDuplicateAndUpdateReplaces() {
        LibsecretSecretStore store;
        auto added = store.add(m_item, "Test item", "one");
        QVERIFY(added.ok());
        QCOMPARE(added.value(), SecretStore::AddOutcome::Added);

        added = store.add(m_item, "Test item", "two");
        QVERIFY(added.ok());
        QCOMPARE(added.value(), SecretStore::AddOutcome::Duplicate);
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>("one"));

        const auto updated = store.update(m_item, "three");
        QVERIFY(updated.ok());
        QVERIFY(updated.value());
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>("three"));
        QCOMPARE(KeyringTestSupport::count(m_item), 1);

        const auto removed = store.remove(m_item);
        QVERIFY(removed.ok());
        QVERIFY(removed.value());
        QVERIFY(!store.read(m_item).value().has_value());
        QVERIFY(!KeyringTestSupport::lookup(m_item).has_value());
    }

    void itemsAreFoundByAllTheirAttributes() {
        LibsecretSecretStore store;
        QVERIFY(store.add(m_item, "Test item", "first secret").ok());
        QVERIFY(!store.read(m_other).value().has_value());
        QVERIFY(store.add(m_other, "Test item", "second secret").ok());
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>("first secret"));
        QCOMPARE(store.read(m_other).value(), std::optional<QByteArray>("second secret"));
        QVERIFY(store.remove(m_other).value());
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>("first secret"));
    }

    void secretsAreKeptByteForByte_data() {
        QTest::addColumn<QByteArray>("secret");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("UTF-8 text") << QByteArray("sk-测试 🔑");
        QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\x80key");
        QTest::newRow("embedded NUL and newline") << QByteArray("a\0b\nc", 5);
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbfkey");
    }

    void secretsAreKeptByteForByte() {
        QFETCH(QByteArray, secret);
        LibsecretSecretStore store;
        QVERIFY(store.add(m_item, "Test item", secret).ok());
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>(secret));
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>(secret));
    }

    void worksWithItemsOfOtherClients() {
        QVERIFY(KeyringTestSupport::store(m_item, "from secret-tool"));
        LibsecretSecretStore store;
        QCOMPARE(store.read(m_item).value(), std::optional<QByteArray>("from secret-tool"));
        QCOMPARE(store.add(m_item, "Test item", "ours").value(), SecretStore::AddOutcome::Duplicate);
        QVERIFY(store.update(m_item, "ours").value());
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("ours"));
        QCOMPARE(KeyringTestSupport::count(m_item), 1);
    }

    // The GUI calls the store from worker threads; calls that overlap must all
    // be answered and leave one consistent item behind.
    void callsFromSeveralThreadsAreSerialised() {
        LibsecretSecretStore store;
        QVERIFY(store.add(m_item, "Test item", "start").ok());
        QList<QFuture<bool>> futures;
        for (int i = 0; i < 8; ++i) {
            futures << QtConcurrent::run([&store, this, i] {
                if (i % 2 == 0)
                    return store.update(m_item, QByteArray::number(i)).ok();
                const auto read = store.read(m_item);
                return read.ok() && read.value().has_value();
            });
        }
        for (auto &future : futures)
            QVERIFY(future.result());
        QCOMPARE(KeyringTestSupport::count(m_item), 1);
        const QByteArray last = store.read(m_item).value().value_or("missing");
        QVERIFY2(QList<QByteArray>({"0", "2", "4", "6"}).contains(last), last.constData());
    }

    // A locked keyring whose unlock prompt cannot be shown is an error that says
    // so, never "no such item": the item is there.
    void lockedKeyringIsReportedAsLocked_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("read") << "read";
        QTest::newRow("add") << "add";
        QTest::newRow("update") << "update";
        QTest::newRow("remove") << "remove";
    }

    void lockedKeyringIsReportedAsLocked() {
        if (isChild())
            QSKIP("runs in the parent only");
        QFETCH(QString, operation);
        QVERIFY(KeyringTestSupport::store(m_item, "stored"));
        QVERIFY(KeyringTestSupport::lockDefaultCollection());
        auto unlock = qScopeGuard([] { QVERIFY(KeyringTestSupport::unlockDefaultCollection()); });
        LibsecretSecretStore store;
        std::optional<Error> error;
        if (operation == "read") {
            const auto result = store.read(m_item);
            if (!result.ok())
                error = result.error();
        } else if (operation == "add") {
            const auto result = store.add(m_other, "Test item", "new");
            if (!result.ok())
                error = result.error();
        } else if (operation == "update") {
            const auto result = store.update(m_item, "changed");
            if (!result.ok())
                error = result.error();
        } else {
            const auto result = store.remove(m_item);
            if (!result.ok())
                error = result.error();
        }
        QVERIFY2(error.has_value(), "the operation succeeded on a locked keyring");
        QVERIFY2(SecretStore::isLocked(*error), qPrintable(error->domain + u' ' + error->description));
        QVERIFY2(error->description.contains("locked"), qPrintable(error->description));
        unlock.dismiss();
        QVERIFY(KeyringTestSupport::unlockDefaultCollection());
        // Nothing changed meanwhile.
        QCOMPARE(KeyringTestSupport::lookup(m_item), std::optional<QByteArray>("stored"));
        QCOMPARE(KeyringTestSupport::count(m_other), 0);
    }

    void failsClearlyWithoutKeyringService_data() {
        QTest::addColumn<bool>("withBus");
        QTest::addColumn<QString>("expectedDescription");
        QTest::newRow("session bus without a Secret Service") << true << "no keyring service is running";
        QTest::newRow("no session bus at all") << false << "the session bus is not available";
    }

    void failsClearlyWithoutKeyringService() {
        if (isChild())
            QSKIP("runs in the parent only");
        QFETCH(bool, withBus);
        QFETCH(QString, expectedDescription);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VELLORA_TEST_SECRET_STORE_CHILD", expectedDescription);
        const QStringList arguments{"withoutKeyringService"};
        TestSupport::ProcessResult result;
        if (withBus) {
            result = KeyringTestSupport::runWithoutSecretService(QCoreApplication::applicationFilePath(), arguments, {},
                                                                 environment);
        } else {
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vellora-test-bus");
            result = TestSupport::run(QCoreApplication::applicationFilePath(), arguments, {}, environment);
        }
        QVERIFY2(result.finished && result.exitCode == 0,
                 QByteArray(result.standardOutput + result.standardError).constData());
    }

    // Runs in the child that failsClearlyWithoutKeyringService starts.
    void withoutKeyringService() {
        if (!isChild())
            QSKIP("runs in a child without a keyring service");
        const QString expected = qEnvironmentVariable("VELLORA_TEST_SECRET_STORE_CHILD");
        LibsecretSecretStore store;
        const auto check = [&expected](const Error &error) {
            QVERIFY2(error.description.contains(expected), qPrintable(error.description));
            QVERIFY(!error.domain.isEmpty());
        };
        const auto read = store.read(m_item);
        QVERIFY(!read.ok());
        check(read.error());
        QVERIFY(read.error().code != 0);
        const auto added = store.add(m_item, "Test item", "secret");
        QVERIFY(!added.ok());
        check(added.error());
        const auto updated = store.update(m_item, "secret");
        QVERIFY(!updated.ok());
        check(updated.error());
        const auto removed = store.remove(m_item);
        QVERIFY(!removed.ok());
        check(removed.error());
    }
};

QTEST_GUILESS_MAIN(TestLibsecretSecretStore)
#include "TestLibsecretSecretStore.moc"
