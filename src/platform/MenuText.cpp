#include "MenuText.h"

#include <QRegularExpression>

namespace MenuText {

QString fixModifierNames(const QString &line) {
    // Only before a "+": "Ctri" is no word, but the rule stays narrow.
    static const QRegularExpression misreadControl(QStringLiteral("\\bCtr[iI1](?=\\s*\\+)"));
    QString fixed = line;
    fixed.replace(misreadControl, QStringLiteral("Ctrl"));
    return fixed;
}

QString withoutLeadingTick(const QString &line) {
    static const QRegularExpression tick(
        QStringLiteral("^\\s*(?:[vV\\x{02C7}\\x{221A}\\x{2713}\\x{2714}]|~\\x{02C7})\\s+(?=[A-Z\\p{Han}])"));
    QString fixed = line;
    fixed.remove(tick);
    return fixed;
}

} // namespace MenuText
