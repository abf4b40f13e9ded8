#include "TrayHost.h"

#include "TestSupport.h"
#include "XSupport.h"

#include <QRect>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr int IconWidth = 24;

// The geometry of trayer's dock window: the visible one with the largest x.
QRect trayWindow()
{
    const TestSupport::ProcessResult windows = TestSupport::run(
        QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                                    QStringLiteral("trayer")});
    QRect best;
    for (const QByteArray &id : windows.standardOutput.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const TestSupport::ProcessResult geometry = TestSupport::run(
            QStringLiteral("xdotool"),
            {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::fromLatin1(id.trimmed())});
        const QString text = QString::fromUtf8(geometry.standardOutput);
        const auto value = [&text](const char *name) {
            return QRegularExpression(QStringLiteral("%1=(\\d+)").arg(QLatin1String(name))).match(text).captured(1).toInt();
        };
        const QRect rect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
        if (rect.height() >= 24 && rect.x() >= best.x())
            best = rect;
    }
    return best;
}

} // namespace

TrayHost::TrayHost() = default;

TrayHost::~TrayHost()
{
    m_trayer.terminate();
    if (!m_trayer.waitForFinished(5000))
        m_trayer.kill();
}

bool TrayHost::start()
{
    m_trayer.start(QStringLiteral("trayer"),
                   {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
                    QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"),
                    QStringLiteral("32"), QStringLiteral("--SetDockType"), QStringLiteral("true"),
                    QStringLiteral("--transparent"), QStringLiteral("false"), QStringLiteral("--tint"),
                    QStringLiteral("0x333333")});
    if (!m_trayer.waitForStarted())
        return false;
    return QTest::qWaitFor([] { return trayWindow().isValid(); }, 20000);
}

int TrayHost::iconCount() const
{
    // An empty tray still requests a sliver of width.
    return trayWindow().width() / IconWidth;
}

QPoint TrayHost::iconCentre(int index) const
{
    const QRect tray = trayWindow();
    return {tray.x() + index * IconWidth + IconWidth / 2, tray.y() + tray.height() / 2};
}

bool TrayHost::click(int index, int button) const
{
    const QPoint centre = iconCentre(index);
    return XSupport::xdotool({QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
                              QStringLiteral("click"), QString::number(button)});
}
