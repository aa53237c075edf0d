#include "platform/qt/portal_shortcuts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTimer>
#include <algorithm>

#include "platform/hotkey_notice.h"
#include "platform/qt/portal.h"
#include "platform/qt/qt_text.h"
#include "platform/runtime.h"

namespace pindle::platform::qt {
namespace {

// One shortcut as the portal passes it, a(sa{sv}): its identifier and its properties
// (description, preferred_trigger; trigger_description in the desktop's answers).
struct PortalShortcut {
  QString id;
  QVariantMap properties;
};

}  // namespace
}  // namespace pindle::platform::qt

Q_DECLARE_METATYPE(pindle::platform::qt::PortalShortcut)

namespace pindle::platform::qt {
namespace {

using Shortcuts = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& a, const PortalShortcut& s) {
  a.beginStructure();
  a << s.id << s.properties;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, PortalShortcut& s) {
  a.beginStructure();
  a >> s.id >> s.properties;
  a.endStructure();
  return a;
}

const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kSessionToken = QStringLiteral("pindle");
const QString kTriggerDescription = QStringLiteral("trigger_description");

// "Alt+F1, Meta+F1" as ["ALT+F1", "META+F1"].
QStringList Triggers(const QString& description) {
  QStringList triggers;
  for (QString t : description.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    t.remove(QLatin1Char(' '));
    if (!t.isEmpty()) triggers.append(t.toUpper());
  }
  return triggers;
}

}  // namespace

QString PortalShortcuts::ShortcutId(unsigned modifiers, unsigned vk) {
  return ToQString(HotkeyName(modifiers, vk));
}

QString PortalShortcuts::Description(unsigned modifiers, unsigned vk) {
  return ToQString(u"Pindle のホットキー (" + HotkeyName(modifiers, vk) + u")");
}

QString PortalShortcuts::PreferredTrigger(unsigned modifiers, unsigned vk) {
  // The modifier names of the portal's shortcut triggers: CTRL, ALT, SHIFT, LOGO.
  QString trigger = ToQString(HotkeyName(modifiers, vk)).toUpper();
  trigger.replace(QStringLiteral("WIN+"), QStringLiteral("LOGO+"));
  return trigger;
}

PortalShortcuts::PortalShortcuts(const QDBusConnection& bus, Deliver deliver, Settled settled)
    : portal_(std::make_unique<Portal>(bus)),
      deliver_(std::move(deliver)),
      settled_(std::move(settled)) {
  qDBusRegisterMetaType<PortalShortcut>();
  qDBusRegisterMetaType<Shortcuts>();
}

PortalShortcuts::~PortalShortcuts() {
  if (!session_.isEmpty()) {
    portal_->Tell(session_, QStringLiteral("org.freedesktop.portal.Session"),
                  QStringLiteral("Close"), {});
  }
}

bool PortalShortcuts::Register(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  const bool taken = std::any_of(keys_.begin(), keys_.end(), [&](const Key& k) {
    return (k.modifiers == modifiers && k.vk == vk) || (k.hWnd == hWnd && k.id == id);
  });
  if (taken || state_ == State::Unavailable) return false;
  keys_.push_back({hWnd, id, modifiers, vk});
  Ask();
  return true;
}

bool PortalShortcuts::Unregister(Hwnd hWnd, int id) {
  const auto it = std::find_if(keys_.begin(), keys_.end(),
                               [&](const Key& k) { return k.hWnd == hWnd && k.id == id; });
  if (it == keys_.end()) return false;
  keys_.erase(it);  // the desktop keeps the shortcut; its activations find no window
  return true;
}

// Once the event that registered them is over, the new combinations go to the desktop
// together.
void PortalShortcuts::Ask() {
  if (askPending_ || state_ == State::Starting) return;
  askPending_ = true;
  QTimer::singleShot(0, this, [this] {
    askPending_ = false;
    if (state_ == State::Idle) {
      Start();
    } else if (state_ == State::Ready) {
      Bind();
    }
  });
}

void PortalShortcuts::Start() {
  state_ = State::Starting;
  portal_->Version(kInterface, [this](unsigned version) {
    if (version == 0) return GiveUp();
    portal_->Listen(kInterface, QStringLiteral("Activated"), this, SLOT(Activated(QDBusMessage)));
    // The shortcuts go with the session too: a desktop may take them from there (Plasma 5.27)
    // and answer BindShortcuts only by opening its settings.
    portal_->Request(kInterface, QStringLiteral("CreateSession"), {},
                     {{QStringLiteral("session_handle_token"), kSessionToken},
                      {QStringLiteral("shortcuts"), ShortcutList()}},
                     [this](unsigned response, const QVariantMap& results) {
                       session_ = results.value(QStringLiteral("session_handle")).toString();
                       if (session_.isEmpty()) return GiveUp();
                       state_ = State::Ready;
                       const Shortcuts listed =
                           qdbus_cast<Shortcuts>(results.value(QStringLiteral("shortcuts")));
                       const bool all = std::all_of(keys_.begin(), keys_.end(), [&](const Key& k) {
                         return std::any_of(listed.begin(), listed.end(), [&](const auto& s) {
                           return s.id == ShortcutId(k.modifiers, k.vk);
                         });
                       });
                       if (all) return Settle(response, results);
                       Bind();
                     });
  });
}

void PortalShortcuts::GiveUp() {
  state_ = State::Unavailable;
  keys_.clear();
  if (settled_) settled_(-1);
}

QVariant PortalShortcuts::ShortcutList() const {
  Shortcuts list;
  for (const Key& k : keys_) {
    list.append({ShortcutId(k.modifiers, k.vk),
                 {{QStringLiteral("description"), Description(k.modifiers, k.vk)},
                  {QStringLiteral("preferred_trigger"), PreferredTrigger(k.modifiers, k.vk)}}});
  }
  return QVariant::fromValue(list);
}

void PortalShortcuts::Bind() {
  portal_->Request(
      kInterface, QStringLiteral("BindShortcuts"),
      {QVariant::fromValue(QDBusObjectPath(session_)), ShortcutList(), QString()}, {},
      [this](unsigned response, const QVariantMap& results) { Settle(response, results); });
}

// What the desktop granted: the combinations it gave no key, or other keys, are refused, all
// in one notice.
void PortalShortcuts::Settle(unsigned response, const QVariantMap& results) {
  const Shortcuts answer = response == 0
                               ? qdbus_cast<Shortcuts>(results.value(QStringLiteral("shortcuts")))
                               : Shortcuts();
  int granted = 0;
  std::vector<std::pair<const Key*, QString>> refused;  // with the keys the desktop gave
  for (const Key& k : keys_) {
    const auto it = std::find_if(answer.begin(), answer.end(), [&](const PortalShortcut& s) {
      return s.id == ShortcutId(k.modifiers, k.vk);
    });
    const QString given =
        it == answer.end() ? QString() : it->properties.value(kTriggerDescription).toString();
    if (!given.trimmed().isEmpty()) ++granted;
    if (!Triggers(given).contains(PreferredTrigger(k.modifiers, k.vk)))
      refused.emplace_back(&k, given.trimmed());
  }
  if (settled_ && !settled_(granted)) return;  // the program ends: nothing more to tell
  Runtime& rt = Runtime::Current();
  rt.RunEvent([&] {
    for (const auto& [k, given] : refused) {
      rt.HotkeyRefused(
          k->modifiers, k->vk,
          given.isEmpty()
              ? std::u16string(u"デスクトップがキーを割り当てませんでした。デスクトップの設定の"
                               u"「ショートカット」で Pindle のキーを設定できます。")
              : u"デスクトップは " + FromQString(given) +
                    u" に割り当てました。デスクトップの設定の「ショートカット」で変えられます。");
    }
  });
}

void PortalShortcuts::Activated(const QDBusMessage& message) {
  // The portal sends every activation to every listener: only this session's count.
  const QVariantList args = message.arguments();
  if (args.size() < 2 || qdbus_cast<QDBusObjectPath>(args[0]).path() != session_) return;
  const QString shortcut = args[1].toString();
  for (const Key& k : keys_) {
    if (ShortcutId(k.modifiers, k.vk) == shortcut) return deliver_(k.hWnd, k.id, k.modifiers, k.vk);
  }
}

}  // namespace pindle::platform::qt
