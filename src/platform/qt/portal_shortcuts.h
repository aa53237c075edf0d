// Global hotkeys on a Wayland session: the portal's GlobalShortcuts.  The combinations
// registered within one event go to the desktop together: one session with a token that stays
// the same from run to run, one shortcut for each combination with an identifier and a
// Japanese description of its own and the combination as its preferred trigger.  The desktop
// decides which keys it grants; those it did not grant, or gave other keys, are told as
// refused with its word on them.  An activation of a shortcut of this session becomes
// WM_HOTKEY for the window that registered the combination.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

#include "platform/os_api.h"

class QDBusConnection;
class QDBusMessage;

namespace pindle::platform::qt {

class Portal;

class PortalShortcuts final : public QObject {
  Q_OBJECT
 public:
  using Deliver = std::function<void(Hwnd hWnd, int id, unsigned modifiers, unsigned vk)>;
  // granted: how many combinations the desktop gave a key; -1 when it offers no
  // GlobalShortcuts.  False: the program ends, and the refusals are not told.
  using Settled = std::function<bool(int granted)>;

  PortalShortcuts(const QDBusConnection& bus, Deliver deliver, Settled settled);
  ~PortalShortcuts() override;
  PortalShortcuts(const PortalShortcuts&) = delete;
  PortalShortcuts& operator=(const PortalShortcuts&) = delete;

  // False when the program holds the combination or the identifier already, or when the
  // desktop has been found to offer no GlobalShortcuts.
  bool Register(Hwnd hWnd, int id, unsigned modifiers, unsigned vk);
  bool Unregister(Hwnd hWnd, int id);

  // The identifier of a combination's shortcut ("Alt+F1"), its description and its
  // preferred trigger ("ALT+F1").
  static QString ShortcutId(unsigned modifiers, unsigned vk);
  static QString Description(unsigned modifiers, unsigned vk);
  static QString PreferredTrigger(unsigned modifiers, unsigned vk);

 private slots:
  void Activated(const QDBusMessage& message);

 private:
  struct Key {
    Hwnd hWnd;
    int id;
    unsigned modifiers, vk;
  };
  enum class State { Idle, Starting, Ready, Unavailable };

  void Ask();
  void Start();
  void GiveUp();  // the desktop offers no GlobalShortcuts
  void Bind();
  void Settle(unsigned response, const QVariantMap& results);
  QVariant ShortcutList() const;

  std::unique_ptr<Portal> portal_;
  Deliver deliver_;
  Settled settled_;
  std::vector<Key> keys_;
  State state_ = State::Idle;
  QString session_;
  bool askPending_ = false;
};

}  // namespace pindle::platform::qt
