#include "ShortcutText.h"

#include <QRegularExpression>

namespace ShortcutText {

QString fixModifierNames(const QString &line) {
    // Only before a "+": "Ctri" is no word, but the rule stays narrow.
    static const QRegularExpression misreadControl(QStringLiteral("\\bCtr[iI1](?=\\s*\\+)"));
    QString fixed = line;
    fixed.replace(misreadControl, QStringLiteral("Ctrl"));
    return fixed;
}

} // namespace ShortcutText
