#pragma once

#include "NativeAccentPalette.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>

class UserDefaults;

// The chosen accent palette and the application icon that goes with it: the
// selection is remembered in a defaults domain, icons are built once per
// palette by the application's icon builder and kept, and the current one is
// the application's window icon. Shared by the shell, the settings window and
// the cloud sync. GUI thread only.
class NativeAppAppearance final : public QObject {
    Q_OBJECT

public:
    using IconBuilder = std::function<QIcon(NativeAccentPalette)>;

    // Reads the selection stored under defaultsKey (defaultPalette when absent or
    // unknown) and writes nothing; installs NativeMenuStyle on the application's
    // menus. Needs the QApplication. `defaults` must outlive the model.
    NativeAppAppearance(NativeAccentPalette defaultPalette, const QString &defaultsKey, UserDefaults &defaults,
                        IconBuilder iconBuilder, QObject *parent = nullptr);
    ~NativeAppAppearance() override;

    NativeAccentPalette selection() const { return m_selection; }
    QString defaultsKey() const { return m_defaultsKey; }
    // The tint of buttons, switches and selected states.
    QColor accent() const { return m_selection.color(); }

    // The icon of a palette, built on the first request and cached for good.
    QIcon icon(NativeAccentPalette palette);
    QIcon applicationIcon() { return icon(m_selection); }

    // Stores and applies another palette: its raw value under defaultsKey, the
    // selection (selectionChanged follows) and the application icon. Choosing the
    // current palette does nothing at all.
    void select(NativeAccentPalette palette);
    // Makes the selection's icon the application's window icon.
    void applyApplicationIcon();

signals:
    void selectionChanged();

private:
    NativeAccentPalette m_selection;
    QString m_defaultsKey;
    UserDefaults &m_defaults;
    IconBuilder m_iconBuilder;
    QHash<int, QIcon> m_icons;
};
