#include "app/desktoplook.h"

#include "app/layout.h"
#include "core/desktop/desktopsettings.h"
#include "engine/engine.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMainWindow>

namespace velko {

namespace {

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// Keeps the palette the platform gave at start, to go back to it.
class DesktopLook : public QObject
{
public:
    DesktopLook(Layout& layout)
        : QObject(layout.mainWindow.get()), m_view(layout.engine->VelkoField),
          m_platformPalette(QApplication::palette()), m_watcher(this)
    {
        connect(&m_watcher, &DesktopSettingsWatcher::documentFontChanged, this,
                &DesktopLook::followFont);
        connect(&m_watcher, &DesktopSettingsWatcher::colorSchemeChanged, this,
                &DesktopLook::followColorScheme);
        keepPaperWhite();
        followColorScheme();
        // The empty document of the start takes the font at once; later
        // ones at New.
        followFont();
        m_view->clearFromCode();
    }

private:
    void followFont() { m_view->setNewDocumentFont(desktopDocumentQFont()); }

    void followColorScheme()
    {
        const std::optional<ColorScheme> scheme = desktopColorScheme();
        const bool wantDark = scheme && *scheme == ColorScheme::Dark;
        // A platform theme that already follows the desktop is left alone.
        if (wantDark && !isDark(m_platformPalette))
            QApplication::setPalette(darkPalette());
        else
            QApplication::setPalette(m_platformPalette);
    }

    void keepPaperWhite()
    {
        QPalette paper = m_view->palette();
        paper.setColor(QPalette::Base, Qt::white);
        paper.setColor(QPalette::Text, Qt::black);
        m_view->setPalette(paper);
    }

    VelkoTextView* m_view;
    QPalette m_platformPalette;
    DesktopSettingsWatcher m_watcher;
};

} // namespace

QFont desktopDocumentQFont()
{
    const std::optional<DesktopFont> desktop = desktopDocumentFont();
    if (!desktop)
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont font(desktop->family);
    font.setPointSizeF(desktop->pointSize > 0 ? desktop->pointSize : 11);
    font.setBold(desktop->bold);
    font.setItalic(desktop->italic);
    return font;
}

QPalette darkPalette()
{
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x2a, 0x2a, 0x2a);
    const QColor text(0xee, 0xee, 0xee);
    const QColor disabledText(0x80, 0x80, 0x80);
    const QColor highlight(0x3d, 0x7e, 0xd6);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(0xff, 0x55, 0x55));
    palette.setColor(QPalette::Light, window.lighter(150));
    palette.setColor(QPalette::Midlight, window.lighter(125));
    palette.setColor(QPalette::Mid, window.darker(120));
    palette.setColor(QPalette::Dark, window.darker(150));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, highlight.lighter(130));
    palette.setColor(QPalette::LinkVisited, highlight.lighter(110));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

void followDesktopLook(Layout& layout)
{
    new DesktopLook(layout);
}

} // namespace velko
