// The XDG desktop portal (org.freedesktop.portal.Desktop) as the Linux backend uses it: method
// calls whose answer comes later as the Response of a Request object, and the portal's
// signals.  The desktop's services for global shortcuts and the session's end are reached
// through it on a Wayland session.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>

class QDBusMessage;

namespace pindle::platform::qt {

// Qt on its wayland platform.
bool NativeWayland();
// A Wayland session: Qt on its wayland platform, or on X through XWayland inside one (an X
// program there sees no key pressed in a Wayland window).
bool WaylandSession();

class Portal final : public QObject {
  Q_OBJECT
 public:
  // response: 0 done, 1 cancelled by the user, 2 ended otherwise (also when the call failed).
  using Answer = std::function<void(unsigned response, const QVariantMap& results)>;

  static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
  static inline const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

  explicit Portal(QDBusConnection bus);
  ~Portal() override;
  Portal(const Portal&) = delete;
  Portal& operator=(const Portal&) = delete;

  QDBusConnection& Bus() { return bus_; }
  // interface.method(args..., options) with a handle_token of its own in options; answer runs
  // with the Response.  Returns the request's path.
  QString Request(const QString& interface, const QString& method, QVariantList args,
                  QVariantMap options, Answer answer = {});
  // Ends a request (what it holds, such as an inhibition, with it); its answer never runs.
  void Close(const QString& request);
  // The interface's version on the portal; reply gets 0 when the portal lacks it (no portal,
  // or one too old or without a backend for it).
  void Version(const QString& interface, std::function<void(unsigned)> reply);
  // Calls a method whose answer nobody waits for.
  void Tell(const QString& path, const QString& interface, const QString& method,
            QVariantList args);
  // The portal's signal to receiver's slot, whose one argument is the QDBusMessage.
  bool Listen(const QString& interface, const QString& signal, QObject* receiver, const char* slot);

 private slots:
  void Responded(const QDBusMessage& message);

 private:
  void Await(const QString& path, Answer answer);
  void Answered(const QString& path, unsigned response, const QVariantMap& results);

  QDBusConnection bus_;
  std::map<QString, Answer> pending_;  // by the path of the request
};

}  // namespace pindle::platform::qt
