#include "platform/qt/qt_os.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QUrl>

#include "platform/cp932.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/xcb_hotkeys.h"
#include "platform/runtime.h"

namespace pindle::platform::qt {

namespace {

constexpr std::size_t kRecordSize = 88;
constexpr std::uint32_t kNifMessage = 1;
constexpr std::intptr_t kShellOk = 42;
constexpr std::intptr_t kShellNoAssociation = 31;  // SE_ERR_NOASSOC

std::uint32_t U32At(std::span<const std::uint8_t> b, std::size_t offset) {
  return static_cast<std::uint32_t>(b[offset]) | static_cast<std::uint32_t>(b[offset + 1]) << 8 |
         static_cast<std::uint32_t>(b[offset + 2]) << 16 |
         static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

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

// A Wayland session without an X server, where no program gets the keys of another: Qt on
// Wayland, or no X display beside a Wayland one.
bool WaylandWithoutX11() {
  return QGuiApplication::platformName().startsWith(QStringLiteral("wayland")) ||
         (qEnvironmentVariableIsEmpty("DISPLAY") &&
          !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
}

}  // namespace

QtOs::QtOs() = default;
QtOs::~QtOs() = default;

int QtOs::Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) {
  if (record.size() < kRecordSize || U32At(record, 0) != kRecordSize) return 0;
  const TrayRecord r{U32At(record, 4), U32At(record, 8), U32At(record, 16)};
  if (dwMessage == kNimDelete) {
    if (!tray_ || trayRecord_.hWnd != r.hWnd || trayRecord_.uID != r.uID) return 0;
    tray_.reset();
    return 1;
  }
  if (dwMessage != kNimAdd || tray_) return 0;
  std::string tip;
  for (std::size_t i = 24; i < kRecordSize && record[i] != 0; ++i)
    tip.push_back(static_cast<char>(record[i]));
  trayRecord_ = r;
  // Where no tray is running yet, Qt docks the icon as soon as one appears.
  tray_ = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/pindle/product.ico")));
  tray_->setToolTip(ToQString(DecodeCp932(tip)));
  if (U32At(record, 12) & kNifMessage) {
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, &mailbox_,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                       if (const std::uint32_t m = MouseMessage(reason)) {
                         PostMessage(trayRecord_.hWnd, trayRecord_.callbackMessage, trayRecord_.uID,
                                     static_cast<LParam>(m));
                       }
                     });
  }
  tray_->show();
  return 1;
}

std::intptr_t QtOs::ShellExecuteA(Hwnd, const std::u16string& verb, const std::u16string& file,
                                  const std::optional<std::u16string>&,
                                  const std::optional<std::u16string>&, int) {
  if (!verb.empty() && verb != u"open") return kShellNoAssociation;
  const QUrl url(ToQString(file));
  return url.isValid() && QDesktopServices::openUrl(url) ? kShellOk : kShellNoAssociation;
}

std::uint32_t QtOs::RegisterWindowMessageA(const std::u16string& name) {
  const auto [it, added] = registeredMessages_.try_emplace(
      name, static_cast<std::uint32_t>(0xC100 + registeredMessages_.size()));
  return it->second;
}

int QtOs::RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  if (!chain_.Contains(hWnd)) return 0;
  if (!hotkeys_) {
    hotkeys_ = XcbHotkeys::Create([this](Hwnd h, int hotkeyId, unsigned mods, unsigned key) {
      PostMessage(h, msg::kHotKey, static_cast<WParam>(static_cast<std::intptr_t>(hotkeyId)),
                  static_cast<LParam>((key << 16) | mods));
    });
  }
  if (!hotkeys_) {
    if (WaylandWithoutX11() && !hotkeysUnavailableSaid_) {
      // Said once, in a box that waits for nobody: the rest of the start-up goes on.
      hotkeysUnavailableSaid_ = true;
      Runtime::Current().Notice(
          u"このデスクトップ (Wayland) では Alt+F1 などのホットキーは使えません。\n"
          u"トレイのアイコンからお使いください。");
    }
    return 0;
  }
  return hotkeys_->Register(hWnd, id, modifiers, vk) ? 1 : 0;
}

int QtOs::UnregisterHotKey(Hwnd hWnd, int id) {
  return hotkeys_ && hotkeys_->Unregister(hWnd, id) ? 1 : 0;
}

void QtOs::PostMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
  QMetaObject::invokeMethod(
      &mailbox_, [this, hWnd, uMsg, wParam, lParam] { chain_.Send(hWnd, uMsg, wParam, lParam); },
      Qt::QueuedConnection);
}

}  // namespace pindle::platform::qt
