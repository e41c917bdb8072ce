#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace velko {

// A font as the desktop names it ("Cantarell 11", "DejaVu Sans Bold 10").
struct DesktopFont
{
    QString family;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;

    friend bool operator==(const DesktopFont&, const DesktopFont&) = default;
};

// Reads a font description of the form "Family [Style...] Size"; nothing
// for one without a family.
std::optional<DesktopFont> parseDesktopFont(const QString& description);

enum class ColorScheme { Light, Dark };

// The desktop's interface settings (GSettings org.gnome.desktop.interface),
// where the desktop keeps them; nothing where it keeps none.
std::optional<DesktopFont> desktopDocumentFont();
// "prefer-dark", or else a theme named "…-dark", is dark; light otherwise.
std::optional<ColorScheme> desktopColorScheme();

// Tells when the desktop's interface settings change (the event loop
// delivers GLib's notices).
class DesktopSettingsWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DesktopSettingsWatcher(QObject* parent = nullptr);
    ~DesktopSettingsWatcher() override;

signals:
    void documentFontChanged();
    void colorSchemeChanged();

private:
    struct Private;
    Private* d;
};

} // namespace velko
