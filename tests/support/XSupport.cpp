#include "XSupport.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

namespace XSupport {

bool xdotool(const QStringList &arguments)
{
    return TestSupport::run(QStringLiteral("xdotool"), arguments).exitCode == 0;
}

bool waitForWindow(const QString &title, int timeoutMs)
{
    const QStringList arguments{QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')};
    return TestSupport::run(QStringLiteral("xdotool"), arguments, {}, QProcessEnvironment::systemEnvironment(),
                            timeoutMs)
               .exitCode
           == 0;
}

bool drag(int fromX, int fromY, int toX, int toY)
{
    const auto number = [](int value) { return QString::number(value); };
    if (!xdotool({QStringLiteral("mousemove"), number(fromX), number(fromY), QStringLiteral("mousedown"),
                  QStringLiteral("1"), QStringLiteral("mousemove"), number((fromX + toX) / 2),
                  number((fromY + toY) / 2), QStringLiteral("mousemove"), number(toX), number(toY)}))
        return false;
    QTest::qWait(100);
    return xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}

QString clipboardText()
{
    // The owner may be this very process: keep its event loop turning while xclip asks.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    if (!xclip.waitForStarted())
        return {};
    QDeadlineTimer deadline(10000);
    while (xclip.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(20);
    if (xclip.state() != QProcess::NotRunning) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

} // namespace XSupport
