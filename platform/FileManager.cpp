#include "platform/FileManager.h"

#include "platform/NativePaths.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

namespace platform {

bool showItemPropertiesInFileManager(const QString &nativePath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.isConnected() || !bus.interface())
        return false;
    const auto activatable = bus.interface()->activatableServiceNames();
    if (!bus.interface()->isServiceRegistered(service).value() && !activatable.value().contains(service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"), service,
                                                       QStringLiteral("ShowItemProperties"));
    call << QStringList{QString::fromLatin1(nativeFileUrl(nativePath).toEncoded())} << QString();
    return bus.call(call).type() == QDBusMessage::ReplyMessage;
}

} // namespace platform
