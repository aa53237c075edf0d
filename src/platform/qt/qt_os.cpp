#include "platform/qt/qt_os.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QUrl>

#include "platform/qt/portal.h"
#include "platform/qt/portal_shortcuts.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/xcb_hotkeys.h"
#include "platform/runtime.h"

namespace pindle::platform::qt {

namespace {

constexpr std::intptr_t kShellOk = 42;
constexpr std::intptr_t kShellNoAssociation = 31;  // SE_ERR_NOASSOC

std::uint32_t MouseMessage(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return msg::kLButtonDown;
    case QSystemTrayIcon::DoubleClick:
      return msg::kLButtonDblClk;
    case QSystemTrayIcon::Context:
      return msg::kRButtonDown;
    case QSystemTrayIcon::MiddleClick:
      return msg::kMButtonDown;
    default:
      return 0;
  }
}

// A StatusNotifierItem host is up: a watcher on the session bus with a host registered.  Qt
// looks for one once, as the first icon is made, and keeps to what it found.
bool StatusNotifierHostUp() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (!bus || !bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")))
    return false;
  QDBusInterface watcher(
      QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus());
  return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace

QtOs::QtOs() = default;
QtOs::~QtOs() = default;

int QtOs::Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) {
  const std::optional<NotifyIconData> r = NotifyIconData::FromBytes(record);
  if (!r) return 0;
  if (dwMessage == kNimDelete) {
    if (!tray_ || trayRecord_.hWnd != r->hWnd || trayRecord_.uID != r->uID) return 0;
    tray_.reset();
    trayMenu_.reset();
    return 1;
  }
  if (dwMessage != kNimAdd || tray_) return 0;
  if (!statusNotifierTray_) {
    const bool hostUp = StatusNotifierHostUp();  // one look at the bus
    if (NativeWayland() && !hostUp) {
      // No tray yet (the panel starts after the program at logon): the taskbar is missing, and
      // the host's arrival is told as the taskbar's, for the icon to go in then.
      WatchForTrayHost();
      return 0;
    }
    statusNotifierTray_ = hostUp;
  }
  trayRecord_ = *r;
  // Where no tray is running yet, Qt docks the icon as soon as one appears.
  tray_ = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/pindle/product.ico")));
  tray_->setToolTip(ToQString(r->szTip));
  if (r->uFlags & kNifMessage) {
    QObject::connect(
        tray_.get(), &QSystemTrayIcon::activated, &mailbox_,
        [this, activates = *statusNotifierTray_](QSystemTrayIcon::ActivationReason reason) {
          if (const std::uint32_t m = MouseMessage(reason)) PostTrayMessage(m);
          // As a double-click's second click.
          if (activates && reason == QSystemTrayIcon::Trigger) PostTrayMessage(msg::kLButtonDblClk);
        });
  }
  if (*statusNotifierTray_) ExportMenu(r->hWnd);
  tray_->show();
  return 1;
}

void QtOs::WatchForTrayHost() {
  if (trayHostWait_) return;
  trayHostWait_ = new QTimer(&mailbox_);
  QObject::connect(trayHostWait_, &QTimer::timeout, &mailbox_, [this] {
    if (!StatusNotifierHostUp()) return;
    trayHostWait_->stop();
    const std::uint32_t message = handles_.RegisteredMessage(u"TaskbarCreated");
    for (const Hwnd hWnd : chain_.Windows()) PostMessage(hWnd, message, 0, 0);
  });
  trayHostWait_->start(500);
}

void QtOs::PostTrayMessage(std::uint32_t mouseMessage) {
  PostMessage(trayRecord_.hWnd, static_cast<std::uint32_t>(trayRecord_.uCallbackMessage),
              static_cast<WParam>(trayRecord_.uID), static_cast<LParam>(mouseMessage));
}

// A StatusNotifierItem host may show only a menu the icon exports (Xfce, GNOME's AppIndicator
// extension): the host window's pop-up menu, whose choice comes back as a right-button press
// on the icon that the window's PopupMenu then answers with that item.
void QtOs::ExportMenu(Hwnd hWnd) {
  const FormDef* def = definitions_ ? definitions_(hWnd) : nullptr;
  for (std::size_t m = 0; def && m < def->menus.size(); ++m) {
    const MenuDef& menu = def->menus[m];
    if (menu.visible) continue;  // a menu bar
    trayMenu_ = std::make_unique<QMenu>();
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
      if (menu.items[i].IsSeparator()) {
        trayMenu_->addSeparator();
        continue;
      }
      QAction* action = trayMenu_->addAction(ToQString(menu.items[i].caption));
      action->setObjectName(ToQString(menu.items[i].name));
      QObject::connect(action, &QAction::triggered, &mailbox_,
                       [this, choice = HostChoice{hWnd, static_cast<int>(m), static_cast<int>(i)}] {
                         hostChoice_ = choice;
                         PostTrayMessage(msg::kRButtonDown);
                         QMetaObject::invokeMethod(
                             &mailbox_, [this] { hostChoice_.reset(); }, Qt::QueuedConnection);
                       });
    }
    tray_->setContextMenu(trayMenu_.get());
    return;
  }
}

std::optional<int> QtOs::TakeHostMenuChoice(Hwnd hWnd, int menu) {
  if (!hostChoice_ || hostChoice_->hWnd != hWnd || hostChoice_->menu != menu) return std::nullopt;
  const int item = hostChoice_->item;
  hostChoice_.reset();
  return item;
}

std::intptr_t QtOs::ShellExecuteA(Hwnd, const std::u16string& verb, const std::u16string& file,
                                  const std::optional<std::u16string>&,
                                  const std::optional<std::u16string>&, int) {
  if (!verb.empty() && verb != u"open") return kShellNoAssociation;
  const QUrl url(ToQString(file));
  return url.isValid() && QDesktopServices::openUrl(url) ? kShellOk : kShellNoAssociation;
}

std::uint32_t QtOs::RegisterWindowMessageA(const std::u16string& name) {
  return handles_.RegisteredMessage(name);
}

int QtOs::RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  if (!chain_.Contains(hWnd)) return 0;
  auto deliver = [this](Hwnd h, int hotkeyId, unsigned mods, unsigned key) {
    PostMessage(h, msg::kHotKey, static_cast<WParam>(static_cast<std::intptr_t>(hotkeyId)),
                static_cast<LParam>((key << 16) | mods));
  };
  if (WaylandSession()) {  // a grab on the X server would see only X windows' keys
    if (!portalShortcuts_) {
      portalShortcuts_ = std::make_unique<PortalShortcuts>(
          QDBusConnection::sessionBus(), std::move(deliver),
          [this](int granted) { return HotkeysSettled(granted); });
    }
    return portalShortcuts_->Register(hWnd, id, modifiers, vk) ? 1 : 0;
  }
  if (!hotkeys_) hotkeys_ = XcbHotkeys::Create(std::move(deliver));
  if (!hotkeys_) return 0;
  switch (hotkeys_->Register(hWnd, id, modifiers, vk)) {
    case XcbHotkeys::Outcome::Grabbed:
      return 1;
    case XcbHotkeys::Outcome::HeldElsewhere:
      Runtime::Current().HotkeyRefused(modifiers, vk);
      return 0;
    default:
      return 0;
  }
}

bool QtOs::HotkeysSettled(int granted) {
  if (granted > 0) return true;
  Runtime& rt = Runtime::Current();
  if (!StatusNotifierHostUp() && (NativeWayland() || !QSystemTrayIcon::isSystemTrayAvailable())) {
    // No tray and no hotkeys: nothing would reach the program, which would stay resident with
    // no way in or out.
    rt.RunEvent([&rt] {
      rt.MsgBox(
          u"このデスクトップにはトレイ (通知領域) もホットキーもないため、Pindle "
          u"を開くことができません。\n"
          u"GNOME では拡張機能 AppIndicator (gnome-shell-extension-appindicator) "
          u"を入れると、トレイにアイコンが出ます。\n"
          u"Pindle を終了します。",
          kMbIconStop);
    });
    rt.EndSession();
    return false;
  }
  if (granted < 0) {
    // Said once (the portal is asked once), in a box that waits for nobody: the program runs on
    // from the tray.
    rt.Notice(
        u"このデスクトップ (Wayland) では Alt+F1 などのホットキーは使えません。\n"
        u"トレイのアイコンからお使いください。");
  }
  return true;
}

int QtOs::UnregisterHotKey(Hwnd hWnd, int id) {
  if (portalShortcuts_) return portalShortcuts_->Unregister(hWnd, id) ? 1 : 0;
  return hotkeys_ && hotkeys_->Unregister(hWnd, id) ? 1 : 0;
}

void QtOs::PostMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
  QMetaObject::invokeMethod(
      &mailbox_, [this, hWnd, uMsg, wParam, lParam] { chain_.Send(hWnd, uMsg, wParam, lParam); },
      Qt::QueuedConnection);
}

}  // namespace pindle::platform::qt
