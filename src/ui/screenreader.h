#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Whether a screen reader runs on the desktop: the accessibility bus's
// ScreenReaderEnabled status, which a screen reader such as Orca sets as it
// starts and clears as it ends. An accessibility bus that is merely up (for
// a magnifier, for Qt's own bridge) is not a screen reader.
class ScreenReaderStatus : public QObject
{
    Q_OBJECT
public:
    explicit ScreenReaderStatus(QObject *parent = nullptr);

    // Asks the desktop without waiting, then follows its changes; later calls
    // do nothing. The accessibility bus is never started for the asking.
    void watch();

signals:
    void changed(bool running);

private slots:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changedProperties,
                             const QStringList &invalidated);

private:
    bool m_watching = false;
};
