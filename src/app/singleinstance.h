#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace velko {

// The application's id on the session bus and in the desktop entry's name.
inline const QString kApplicationId = QStringLiteral("org.velko.Velko");

// One running Velko per session: the first process owns the application's
// name on the session bus and serves org.freedesktop.Application there; a
// later launch hands its files to it and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Primary,   // owns the name; requests arrive through openRequested()
        Secondary, // handed its files to the running instance: exit now
        Alone,     // no session bus: runs on its own
    };

    explicit SingleInstance(QString applicationId = kApplicationId, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the name, or hands `paths` (absolute) to the instance that has it.
    Role start(const QStringList& paths);

    Role role() const { return m_role; }
    QString applicationId() const { return m_applicationId; }
    // "/org/velko/Velko" for "org.velko.Velko".
    QString objectPath() const;

    // Called by the bus interface.
    void receiveOpen(const QStringList& uris, const QVariantMap& platformData);
    void receiveActivate(const QVariantMap& platformData);

signals:
    // Files to open, absolute paths in order. `activationToken` lets the
    // window be raised on behalf of the launch that asked (may be empty).
    void openRequested(const QStringList& paths, const QString& activationToken);
    // The window is asked to come to the front.
    void activateRequested(const QString& activationToken);

private:
    bool becomePrimary();
    bool handToPrimary(const QStringList& paths);

    QString m_applicationId;
    Role m_role = Role::Alone;
    bool m_objectRegistered = false;
};

// The activation token a launcher handed to this process, for the running
// instance ("activation-token" and "desktop-startup-id").
QVariantMap launchPlatformData();

// The token found in a request's platform data, preferring Wayland's.
QString activationTokenOf(const QVariantMap& platformData);

} // namespace velko
