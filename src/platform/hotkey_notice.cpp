#include "platform/hotkey_notice.h"

#include "platform/text.h"

namespace pindle::platform {

std::u16string HotkeyName(unsigned modifiers, unsigned vk) {
  std::u16string name;
  if (modifiers & 8u) name += u"Win+";
  if (modifiers & 2u) name += u"Ctrl+";
  if (modifiers & 4u) name += u"Shift+";
  if (modifiers & 1u) name += u"Alt+";
  if (vk >= 0x70 && vk <= 0x87) {
    name += u"F";
    name += DecimalText(static_cast<long long>(vk - 0x6F));
  } else if ((vk >= u'0' && vk <= u'9') || (vk >= u'A' && vk <= u'Z')) {
    name += static_cast<char16_t>(vk);
  } else {
    name += u"キー";
    name += DecimalText(static_cast<long long>(vk));
  }
  return name;
}

std::u16string RefusedHotkeysText(const std::vector<RefusedHotkey>& refused) {
  if (refused.empty()) return {};
  std::u16string held;
  std::u16string desktop;
  for (const RefusedHotkey& key : refused) {
    const std::u16string name = HotkeyName(key.modifiers, key.vk);
    if (key.desktopNote.empty()) {
      held += (held.empty() ? u"" : u"、") + name;
    } else {
      desktop += u"・" + name + u": " + key.desktopNote + u"\n";
    }
  }
  std::u16string text = u"次のホットキーは Pindle では使えません。\n";
  if (!held.empty()) text += u"・" + held + u": 他のプログラムが使っています。\n";
  text += desktop;
  text += u"トレイのアイコンのメニューからは、いつもどおり開けます。";
  return text;
}

}  // namespace pindle::platform
