#include "ui/screenreader.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString AccessibilityBus = QStringLiteral("org.a11y.Bus");
const QString StatusPath = QStringLiteral("/org/a11y/bus");
const QString StatusInterface = QStringLiteral("org.a11y.Status");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString ScreenReaderEnabled = QStringLiteral("ScreenReaderEnabled");

} // namespace

ScreenReaderStatus::ScreenReaderStatus(QObject *parent) : QObject(parent) {}

void ScreenReaderStatus::watch()
{
    if (m_watching)
        return;
    m_watching = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(AccessibilityBus, StatusPath, PropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    QDBusMessage get = QDBusMessage::createMethodCall(AccessibilityBus, StatusPath, PropertiesInterface,
                                                      QStringLiteral("Get"));
    get << StatusInterface << ScreenReaderEnabled;
    get.setAutoStartService(false);
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answered) {
        const QDBusPendingReply<QDBusVariant> reply = *answered;
        if (reply.isValid())
            emit changed(reply.value().variant().toBool());
        answered->deleteLater();
    });
}

void ScreenReaderStatus::onPropertiesChanged(const QString &interface, const QVariantMap &changedProperties,
                                             const QStringList &)
{
    if (interface == StatusInterface && changedProperties.contains(ScreenReaderEnabled))
        emit changed(changedProperties.value(ScreenReaderEnabled).toBool());
}
