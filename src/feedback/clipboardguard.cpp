#include "feedback/clipboardguard.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace velko {

namespace {

constexpr QClipboard::Mode kModes[] = {QClipboard::Clipboard, QClipboard::Selection};

int slotOf(QClipboard::Mode mode)
{
    return mode == QClipboard::Selection ? 1 : 0;
}

} // namespace

const QString SecretMimeData::kHintFormat = QStringLiteral("x-kde-passwordManagerHint");

SecretMimeData::SecretMimeData()
{
    setData(kHintFormat, QByteArrayLiteral("secret"));
}

ClipboardGuard::ClipboardGuard(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardGuard::clearNow);
    QClipboard* clipboard = QGuiApplication::clipboard();
    connect(clipboard, &QClipboard::changed, this, &ClipboardGuard::noteChange);
    // A clipboard manager would otherwise take the data over at exit.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &ClipboardGuard::clearNow);
}

ClipboardGuard::~ClipboardGuard()
{
    if (QCoreApplication::instance())
        clearNow();
}

void ClipboardGuard::setClearAfterMs(int ms)
{
    m_timer.setInterval(ms > 0 ? ms : 0);
    if (ms <= 0)
        m_timer.stop();
    else if (holdsSecret())
        m_timer.start();
}

// Only data of our own type can be ours: foreign data is never looked into.
void ClipboardGuard::noteChange(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard && mode != QClipboard::Selection)
        return;
    const auto* data =
        qobject_cast<const SecretMimeData*>(QGuiApplication::clipboard()->mimeData(mode));
    m_offered[slotOf(mode)] = data;
    if (data && m_timer.interval() > 0)
        m_timer.start();
}

bool ClipboardGuard::holdsOurs(QClipboard::Mode mode) const
{
    const QMimeData* offered = m_offered[slotOf(mode)];
    return offered && QGuiApplication::clipboard()->mimeData(mode) == offered;
}

bool ClipboardGuard::holdsSecret() const
{
    return holdsOurs(QClipboard::Clipboard) || holdsOurs(QClipboard::Selection);
}

void ClipboardGuard::clearNow()
{
    m_timer.stop();
    for (const QClipboard::Mode mode : kModes) {
        if (holdsOurs(mode))
            QGuiApplication::clipboard()->clear(mode);
        m_offered[slotOf(mode)] = nullptr;
    }
}

} // namespace velko
