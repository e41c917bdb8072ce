#include "app/singleinstance.h"

#include "app/commandline.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace velko {

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Application");
const int kCallTimeoutMs = 10000;

// org.freedesktop.Application, served on the instance's object path.
class ApplicationAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationAdaptor(SingleInstance* instance)
        : QDBusAbstractAdaptor(instance), m_instance(instance)
    {
    }

public slots:
    void Activate(const QVariantMap& platform_data) { m_instance->receiveActivate(platform_data); }

    void Open(const QStringList& uris, const QVariantMap& platform_data)
    {
        m_instance->receiveOpen(uris, platform_data);
    }

    // The application exports no actions; asking for one only raises it.
    void ActivateAction(const QString&, const QVariantList&, const QVariantMap& platform_data)
    {
        m_instance->receiveActivate(platform_data);
    }

private:
    SingleInstance* m_instance;
};

} // namespace

QVariantMap launchPlatformData()
{
    QVariantMap data;
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!wayland.isEmpty())
        data.insert(QStringLiteral("activation-token"), QString::fromUtf8(wayland));
    const QByteArray x11 = qgetenv("DESKTOP_STARTUP_ID");
    if (!x11.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(x11));
    return data;
}

QString activationTokenOf(const QVariantMap& platformData)
{
    const QString wayland = platformData.value(QStringLiteral("activation-token")).toString();
    if (!wayland.isEmpty())
        return wayland;
    return platformData.value(QStringLiteral("desktop-startup-id")).toString();
}

SingleInstance::SingleInstance(QString applicationId, QObject* parent)
    : QObject(parent), m_applicationId(std::move(applicationId))
{
    new ApplicationAdaptor(this);
}

SingleInstance::~SingleInstance()
{
    if (m_role != Role::Primary)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_applicationId);
    bus.unregisterObject(objectPath());
}

QString SingleInstance::objectPath() const
{
    return QLatin1Char('/') + QString(m_applicationId).replace(QLatin1Char('.'), QLatin1Char('/'));
}

SingleInstance::Role SingleInstance::start(const QStringList& paths)
{
    m_role = Role::Alone;
    if (!QDBusConnection::sessionBus().isConnected())
        return m_role;
    // The owner may end between our failed claim and our call: then the
    // name is free for us on the second round.
    for (int round = 0; round < 2; ++round) {
        if (becomePrimary()) {
            m_role = Role::Primary;
            return m_role;
        }
        if (handToPrimary(paths)) {
            m_role = Role::Secondary;
            return m_role;
        }
    }
    return m_role;
}

bool SingleInstance::becomePrimary()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The object first, so that a request arriving as soon as the name is
    // ours finds it.
    if (!m_objectRegistered)
        m_objectRegistered =
            bus.registerObject(objectPath(), this, QDBusConnection::ExportAdaptors);
    if (!m_objectRegistered)
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(m_applicationId,
                                         QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(objectPath());
    m_objectRegistered = false;
    return false;
}

bool SingleInstance::handToPrimary(const QStringList& paths)
{
    QDBusMessage call;
    if (paths.isEmpty()) {
        call = QDBusMessage::createMethodCall(m_applicationId, objectPath(), kInterface,
                                              QStringLiteral("Activate"));
        call << launchPlatformData();
    } else {
        call = QDBusMessage::createMethodCall(m_applicationId, objectPath(), kInterface,
                                              QStringLiteral("Open"));
        call << urisOfPaths(paths) << launchPlatformData();
    }
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::receiveOpen(const QStringList& uris, const QVariantMap& platformData)
{
    const QStringList paths = localPathsOfUris(uris);
    if (paths.isEmpty())
        emit activateRequested(activationTokenOf(platformData));
    else
        emit openRequested(paths, activationTokenOf(platformData));
}

void SingleInstance::receiveActivate(const QVariantMap& platformData)
{
    emit activateRequested(activationTokenOf(platformData));
}

} // namespace velko

#include "singleinstance.moc"
