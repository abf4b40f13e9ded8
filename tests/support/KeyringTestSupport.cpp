#include "KeyringTestSupport.h"

#include <QDir>

namespace KeyringTestSupport {

namespace {

QStringList attributeArguments(const Attributes &attributes) {
    QStringList arguments;
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        arguments << it.key() << it.value();
    return arguments;
}

const QString secretTool = QStringLiteral("secret-tool");

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
