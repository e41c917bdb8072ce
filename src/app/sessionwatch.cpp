#include "app/sessionwatch.h"

#include "app/layout.h"
#include "engine/engine.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMainWindow>

namespace velko {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLoginSession = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

SessionWatch::SessionWatch(const QDBusConnection& sessionBus, const QDBusConnection& systemBus,
                           QObject* parent)
    : QObject(parent), m_systemBus(systemBus)
{
    // Screen savers send it from any path (KDE from two of them), GNOME
    // under its own interface name as well.
    QDBusConnection session = sessionBus;
    for (const QString& interface :
         {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")})
        session.connect(QString(), QString(), interface, QStringLiteral("ActiveChanged"), this,
                        SLOT(screenSaverActiveChanged(bool)));

    m_systemBus.connect(kLogin, kLoginPath, kLoginManager, QStringLiteral("PrepareForSleep"), this,
                        SLOT(prepareForSleep(bool)));
    // Lock comes on this session's own object path: ask logind which it is.
    QDBusMessage ask = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager,
                                                      QStringLiteral("GetSession"));
    ask << QStringLiteral("auto");
    auto* call = new QDBusPendingCallWatcher(m_systemBus.asyncCall(ask), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &SessionWatch::watchSession);
}

void SessionWatch::watchSession(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    // Without logind there is no session lock to follow; the screen saver
    // and the idle time still lock.
    if (reply.isError())
        return;
    m_systemBus.connect(kLogin, reply.value().path(), kLoginSession, QStringLiteral("Lock"), this,
                        SLOT(sessionLocked()));
}

void SessionWatch::screenSaverActiveChanged(bool active)
{
    if (active)
        emit leaving();
}

void SessionWatch::sessionLocked()
{
    emit leaving();
}

void SessionWatch::prepareForSleep(bool start)
{
    if (start)
        emit leaving();
}

void lockWhenLeaving(Layout& layout, const QDBusConnection& sessionBus,
                     const QDBusConnection& systemBus)
{
    auto* watch = new SessionWatch(sessionBus, systemBus, layout.mainWindow.get());
    QObject::connect(watch, &SessionWatch::leaving, layout.engine, &Engine::lockDocument);
}

} // namespace velko
