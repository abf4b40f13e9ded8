#include "KeyringTestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>

namespace {

// The Secret Service's secret: (session, parameters, value, content type).
struct DBusSecret {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DBusSecret &secret) {
    argument.beginStructure();
    argument << secret.session << secret.parameters << secret.value << secret.contentType;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusSecret &secret) {
    argument.beginStructure();
    argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(DBusSecret)

namespace KeyringTestSupport {

namespace {

QStringList attributeArguments(const Attributes &attributes) {
    QStringList arguments;
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        arguments << it.key() << it.value();
    return arguments;
}

const QString secretTool = QStringLiteral("secret-tool");

const QString secretsService = QStringLiteral("org.freedesktop.secrets");
const QString secretsPath = QStringLiteral("/org/freedesktop/secrets");

QDBusMessage callSecrets(const QString &path, const QString &interface, const QString &method,
                         const QVariantList &arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(secretsService, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
}

std::optional<QDBusObjectPath> defaultCollection() {
    const QDBusMessage reply = callSecrets(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"),
                                           QStringLiteral("ReadAlias"), {QStringLiteral("default")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QDBusObjectPath path = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst());
    if (path.path().isEmpty() || path.path() == QStringLiteral("/"))
        return std::nullopt;
    return path;
}

} // namespace

std::optional<QByteArray> lookup(const Attributes &attributes) {
    const auto result =
        TestSupport::run(secretTool, QStringList{QStringLiteral("lookup")} + attributeArguments(attributes));
    if (!result.finished || result.exitCode != 0)
        return std::nullopt;
    return result.standardOutput;
}

bool store(const Attributes &attributes, const QByteArray &secret, const QString &label) {
    const QStringList arguments =
        QStringList{QStringLiteral("store"), QStringLiteral("--label=") + label} + attributeArguments(attributes);
    const auto result = TestSupport::run(secretTool, arguments, secret);
    return result.finished && result.exitCode == 0;
}

void clear(const Attributes &attributes) {
    TestSupport::run(secretTool, QStringList{QStringLiteral("clear")} + attributeArguments(attributes));
}

int count(const Attributes &attributes) {
    const auto result = TestSupport::run(
        secretTool, QStringList{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--unlock")} +
                        attributeArguments(attributes));
    int items = 0;
    for (const QByteArray &line : result.standardOutput.split('\n'))
        if (line.startsWith("label = "))
            ++items;
    return items;
}

bool lockDefaultCollection() {
    const std::optional<QDBusObjectPath> collection = defaultCollection();
    if (!collection)
        return false;
    const QDBusMessage reply =
        callSecrets(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"),
                    {QVariant::fromValue(QList<QDBusObjectPath>{*collection})});
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool unlockDefaultCollection() {
    const std::optional<QDBusObjectPath> collection = defaultCollection();
    if (!collection)
        return false;
    qDBusRegisterMetaType<DBusSecret>();
    // A "plain" session carries the password as it is; it lives as long as
    // this process's connection to the bus.
    const QDBusMessage opened =
        callSecrets(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("OpenSession"),
                    {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))});
    if (opened.type() != QDBusMessage::ReplyMessage || opened.arguments().size() < 2)
        return false;
    const DBusSecret password{qvariant_cast<QDBusObjectPath>(opened.arguments().at(1)), {},
                              qgetenv("VELLORA_TEST_KEYRING_PASSWORD"), QStringLiteral("text/plain")};
    // gnome-keyring's own interface for unlocking without a prompt.
    const QDBusMessage reply =
        callSecrets(secretsPath, QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
                    QStringLiteral("UnlockWithMasterPassword"),
                    {QVariant::fromValue(*collection), QVariant::fromValue(password)});
    return reply.type() == QDBusMessage::ReplyMessage;
}

TestSupport::ProcessResult runWithoutSecretService(const QString &program, const QStringList &arguments,
                                                   const QByteArray &standardInput,
                                                   const QProcessEnvironment &environment) {
    const QString config =
        QDir(TestSupport::sourceDir()).filePath(QStringLiteral("tests/support/no-secret-service-bus.conf"));
    QStringList wrapped{QStringLiteral("--config-file=") + config, QStringLiteral("--"), program};
    wrapped += arguments;
    return TestSupport::run(QStringLiteral("dbus-run-session"), wrapped, standardInput, environment);
}

} // namespace KeyringTestSupport
