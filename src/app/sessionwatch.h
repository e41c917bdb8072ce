#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusPendingCallWatcher;

namespace velko {

struct Layout;

// Tells when the user leaves the desk as the desktop sees it: the screen
// saver turns on (org.freedesktop.ScreenSaver ActiveChanged on the session
// bus), logind locks this session (Session.Lock) or the machine is about to
// sleep (Manager.PrepareForSleep), both on the system bus.
class SessionWatch : public QObject
{
    Q_OBJECT
public:
    SessionWatch(const QDBusConnection& sessionBus, const QDBusConnection& systemBus,
                 QObject* parent = nullptr);

signals:
    void leaving();

private slots:
    void screenSaverActiveChanged(bool active);
    void sessionLocked();
    void prepareForSleep(bool start);

private:
    void watchSession(QDBusPendingCallWatcher* call);

    QDBusConnection m_systemBus;
};

// Locks the window's open secure document whenever the user leaves; the
// buses are those of the desktop session unless a test hands its own.
void lockWhenLeaving(Layout& layout,
                     const QDBusConnection& sessionBus = QDBusConnection::sessionBus(),
                     const QDBusConnection& systemBus = QDBusConnection::systemBus());

} // namespace velko
