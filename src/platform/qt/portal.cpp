#include "platform/qt/portal.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>

namespace pindle::platform::qt {

namespace {

const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

bool NativeWayland() {
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

bool WaylandSession() {
  return NativeWayland() || qgetenv("XDG_SESSION_TYPE") == "wayland" ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

Portal::Portal(QDBusConnection bus) : bus_(std::move(bus)) {}

Portal::~Portal() = default;

QString Portal::Request(const QString& interface, const QString& method, QVariantList args,
                        QVariantMap options, Answer answer) {
  // The request's path is known before the call (the sender's name and the token), so that its
  // Response cannot come before it is listened for.
  // Unique within the process: every Portal of one bus shares its connection.
  static unsigned lastToken = 0;
  const QString token = QStringLiteral("pindle%1").arg(++lastToken);
  QString sender = bus_.baseService().mid(1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString path = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
  options.insert(QStringLiteral("handle_token"), token);
  args.append(options);
  Await(path, std::move(answer));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, method);
  call.setArguments(args);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, path](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *w;
            if (reply.isError()) return Answered(path, 2, {});
            const QString handle = reply.value().path();
            if (handle == path || !pending_.contains(path)) return;
            // A portal that names its requests otherwise answers on the path it returned.
            Answer later = std::move(pending_[path]);
            Answered(path, 2, {});
            Await(handle, std::move(later));
          });
  return path;
}

void Portal::Close(const QString& request) {
  const auto it = pending_.find(request);
  if (it != pending_.end()) it->second = nullptr;
  Answered(request, 2, {});
  Tell(request, kRequestInterface, QStringLiteral("Close"), {});
}

void Portal::Await(const QString& path, Answer answer) {
  pending_[path] = std::move(answer);
  bus_.connect(kService, path, kRequestInterface, QStringLiteral("Response"), this,
               SLOT(Responded(QDBusMessage)));
}

void Portal::Responded(const QDBusMessage& message) {
  const QVariantList args = message.arguments();
  if (args.size() < 2) return;
  Answered(message.path(), args[0].toUInt(), qdbus_cast<QVariantMap>(args[1]));
}

void Portal::Answered(const QString& path, unsigned response, const QVariantMap& results) {
  const auto it = pending_.find(path);
  if (it == pending_.end()) return;
  Answer answer = std::move(it->second);
  pending_.erase(it);
  bus_.disconnect(kService, path, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(Responded(QDBusMessage)));
  if (answer) answer(response, results);
}

void Portal::Version(const QString& interface, std::function<void(unsigned)> reply) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get.setArguments({interface, QStringLiteral("version")});
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [reply = std::move(reply)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusVariant> version = *w;
            reply(version.isError() ? 0u : version.value().variant().toUInt());
          });
}

void Portal::Tell(const QString& path, const QString& interface, const QString& method,
                  QVariantList args) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
  call.setArguments(args);
  bus_.asyncCall(call);
}

bool Portal::Listen(const QString& interface, const QString& signal, QObject* receiver,
                    const char* slot) {
  return bus_.connect(kService, kPath, interface, signal, receiver, slot);
}

}  // namespace pindle::platform::qt
