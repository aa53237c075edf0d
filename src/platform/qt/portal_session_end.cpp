#include "platform/qt/portal_session_end.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <optional>

#include "platform/qt/portal.h"
#include "platform/qt/qt_text.h"
#include "platform/runtime.h"

namespace pindle::platform::qt {

namespace {

const QString kInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
constexpr unsigned kInhibitLogout = 1;
constexpr unsigned kQueryEnd = 2, kEnding = 3;  // session-state; 1 is running

std::optional<Runtime::SessionHold> Ask() {
  try {
    return Runtime::Current().QueryEndSession();
  } catch (...) {
    return std::nullopt;  // no program left to ask
  }
}

void End() {
  try {
    Runtime::Current().EndSession();
  } catch (...) {
  }
}

}  // namespace

SessionEnd::SessionEnd() {
  connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager& manager) { CommitData(manager); });
  connect(qGuiApp, &QGuiApplication::saveStateRequest, this,
          [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); });
  qGuiApp->installEventFilter(this);
}

SessionEnd::~SessionEnd() {
  if (qGuiApp) qGuiApp->removeEventFilter(this);
}

void SessionEnd::CommitData(QSessionManager& manager) {
  if (!Ask()) return;
  // Only a manager that lets the program interact takes a refusal; elsewhere the session ends
  // and the edit with it (nothing is saved unasked).
  if (manager.allowsInteraction()) {
    manager.cancel();
    manager.release();
  }
}

bool SessionEnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qGuiApp && event->type() == QEvent::Quit) End();
  return false;
}

void SessionEnd::WatchPortal(const QDBusConnection& bus) {
  portal_ = std::make_unique<Portal>(bus);
  monitor_.clear();
  inhibition_.clear();
  portal_->Listen(kInhibit, QStringLiteral("StateChanged"), this, SLOT(StateChanged(QDBusMessage)));
  portal_->Request(kInhibit, QStringLiteral("CreateMonitor"), {QString()},
                   {{QStringLiteral("session_handle_token"), QStringLiteral("pindle_monitor")}},
                   [this](unsigned, const QVariantMap& results) {
                     monitor_ = results.value(QStringLiteral("session_handle")).toString();
                   });
}

void SessionEnd::StateChanged(const QDBusMessage& message) {
  const QVariantList args = message.arguments();
  if (monitor_.isEmpty() || args.size() < 2 ||
      qdbus_cast<QDBusObjectPath>(args[0]).path() != monitor_) {
    return;
  }
  const unsigned state =
      qdbus_cast<QVariantMap>(args[1]).value(QStringLiteral("session-state")).toUInt();
  if (state == kEnding) return End();
  if (state != kQueryEnd) return Release();
  if (const std::optional<Runtime::SessionHold> hold = Ask()) {
    if (inhibition_.isEmpty()) {
      inhibition_ =
          portal_->Request(kInhibit, QStringLiteral("Inhibit"), {QString(), kInhibitLogout},
                           {{QStringLiteral("reason"), ToQString(hold->reason)}});
    }
  } else {
    Release();
  }
  portal_->Tell(Portal::kPath, kInhibit, QStringLiteral("QueryEndResponse"),
                {QVariant::fromValue(QDBusObjectPath(monitor_))});
}

void SessionEnd::Release() {
  if (inhibition_.isEmpty()) return;
  portal_->Close(inhibition_);
  inhibition_.clear();
}

}  // namespace pindle::platform::qt
