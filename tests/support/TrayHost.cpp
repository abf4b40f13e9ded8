#include "TrayHost.h"

#include "TestSupport.h"
#include "XSupport.h"

#include <QRect>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>
#include <QRegularExpression>
#include <QScopeGuard>
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

bool TrayHost::setIconColor(const std::optional<QColor> &foreground) const
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    if (xcb_connection_has_error(connection))
        return false;
    const auto atom = [connection](const QByteArray &name) {
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection,
                                  xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()), nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom(QByteArrayLiteral("_NET_SYSTEM_TRAY_S0"))), nullptr),
        &std::free);
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return false;
    const xcb_atom_t colors = atom(QByteArrayLiteral("_NET_SYSTEM_TRAY_COLORS"));
    if (!foreground) {
        xcb_delete_property(connection, owner->owner, colors);
    } else {
        // Normal, error, warning and success: red, green and blue each, 0…65535.
        const QRgba64 normal = foreground->rgba64();
        const quint32 values[12] = {normal.red(), normal.green(), normal.blue(), 0xffff, 0, 0,
                                    0xffff, 0xa000, 0, 0, 0xc000, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, owner->owner, colors, XCB_ATOM_CARDINAL, 32, 12,
                            values);
    }
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> sync(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &std::free);
    return sync != nullptr;
}
