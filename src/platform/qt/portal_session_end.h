// The desktop's questions as its session ends, put to the runtime (which window, if any, holds
// work the user would lose) and its answers carried back.
//
// X11: Qt's session management, when an XSMP session manager runs (SESSION_MANAGER).  Its
// commitDataRequest asks the runtime; a hold cancels the shutdown where the manager lets the
// program interact with the user.  The manager's Die reaches Qt as a Quit event: every window
// is unloaded then.  The program asks not to be restarted with the next session: it starts
// with the desktop's autostart, and a second copy would only be refused.
// Wayland: the portal's Inhibit.  A monitor of the session's state; at query-end a hold becomes
// an inhibition of the logout with the window's reason (dropped again when the session runs on
// or the next question finds nothing to lose), and the portal is answered at once; at ending
// every window is unloaded.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QDBusConnection;
class QDBusMessage;
class QEvent;
class QSessionManager;

namespace pindle::platform::qt {

class Portal;

class SessionEnd final : public QObject {
  Q_OBJECT
 public:
  SessionEnd();
  ~SessionEnd() override;
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;

  // The portal's monitor on bus, in place of any earlier one.
  void WatchPortal(const QDBusConnection& bus);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void StateChanged(const QDBusMessage& message);

 private:
  void CommitData(QSessionManager& manager);
  void Release();

  std::unique_ptr<Portal> portal_;
  QString monitor_;     // the monitor's session
  QString inhibition_;  // the request that holds the logout, while one does
};

}  // namespace pindle::platform::qt
