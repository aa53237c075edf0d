// The monkey: seeded random user actions on the in-memory backend, with the program's promises
// checked after each.  pindle_monkey [--seed N] [--actions N]; a failure prints the seed, the
// last actions and the broken promise, and the same seed replays it exactly.
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <random>
#include <string>

#include "platform/cp932.h"
#include "platform/headless/headless_backend.h"
#include "platform/program.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "temp_dir.h"

namespace {

using namespace pindle::platform;
using headless::HeadlessBackend;
using headless::HeadlessWindow;

const char16_t* const kTexts[] = {
    u"",       u"メモ",   u"abc\r\ndef", u"電話下さい\r\n\r\n", u"😀",
    u"¥100 €", u"\uFFFD", u"ｶﾀｶﾅ~\\",    u"\u301C\u2212",       u"x\ty"};
const char16_t* const kMenu[] = {u"memo", u"customise", u"bar", u"manual", u"aboutme", u"end"};
const int kKeys[] = {13, 27, 9, 32, 0x70, 0x71, 65};

struct Program {
  explicit Program(const std::u16string& dir) { backend.appPath = dir, StartProgram(rt); }
  HeadlessBackend backend;
  Runtime rt{backend};
};

std::string Bytes(const pindle::testing::TempDir& dir) {
  return ReadFileIfExists(dir.U16("memo.txt")).value_or("");
}

}  // namespace

int main(int argc, char** argv) {
  unsigned seed = std::random_device{}();
  long actions = 10000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const unsigned long value = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::string(argv[i]) == "--seed") seed = static_cast<unsigned>(value);
    if (std::string(argv[i]) == "--actions") actions = static_cast<long>(value);
  }
  std::mt19937 random(seed);
  auto pick = [&](auto n) { return static_cast<decltype(n)>(random() % static_cast<unsigned>(n)); };
  pindle::testing::TempDir dir;
  dir.Write("memo.txt", "\x93\x6f\x98\x5e\x83\x81\x83\x82\r\n");  // 登録メモ
  auto program = std::make_unique<Program>(dir.U16());
  std::deque<std::string> log;
  bool endChosen = false;
  long restarts = 0, saves = 0, refusals = 0, prints = 0;
  for (long n = 1; n <= actions; ++n) {
    HeadlessBackend& b = program->backend;
    const std::string before = Bytes(dir);
    const std::size_t boxes = b.MessageBoxes().size(), dialogs = b.PrintDialogs().size();
    HeadlessWindow* editor = b.WindowOf(u"Dialog_DataList");
    const std::u16string editorText = editor ? editor->Text(u"Text1") : u"";
    const bool hostLoaded = b.WindowOf(u"Form1") != nullptr;
    bool registerPressed = false, hotkeyOpens = false, hotkeyLost = false;
    std::u16string opens;
    std::string what;
    const auto visible = b.ZOrder();
    std::string broken;
    try {
      const int kind = pick(visible.empty() ? 3 : 10);
      if (kind == 0) {  // Alt+F1 .. Alt+F3
        const unsigned f = pick(3u);
        what = "Alt+F" + std::to_string(f + 1);
        hotkeyLost = !b.PressHotkey(kModAlt, 0x70 + f) && hostLoaded;
        hotkeyOpens = hostLoaded && f != 1;
        opens = f == 0 ? u"frmMain" : u"Dialog_DataList";
      } else if (kind == 1) {  // the tray icon, and a menu choice
        const std::uint32_t mouse = 512 + pick(6u);
        const char16_t* item = kMenu[pick(6)];
        const bool choose = pick(4) != 0;
        if (mouse == 516 && b.WindowOf(u"Form1"))
          b.OnNextPopupMenu(choose ? std::optional(item) : std::nullopt);
        what = "tray " + std::to_string(mouse) +
               (mouse == 516 && choose ? " " + Utf16ToUtf8(item) : "");
        endChosen |= b.TrayMouse(mouse) && mouse == 516 && choose && item == std::u16string(u"end");
      } else if (kind == 2) {  // time passes
        b.Advance(pick(3000));
        what = "time";
      } else {  // something on the front window or another visible one
        HeadlessWindow& w = *b.WindowOf(visible[pick(2) ? 0 : pick(visible.size())]);
        const auto& controls = w.Def().controls;
        const auto& c = controls[pick(controls.size())];
        const bool usable = c.kind != ControlKind::Timer && c.kind != ControlKind::CommonDialog &&
                            c.kind != ControlKind::Line && w.ControlVisible(c.name, c.index);
        const bool isEditor = w.Def().name == u"Dialog_DataList";
        if (w.Def().name == u"Dialog_Printer")
          b.OnNextPrintDialog(pick(2) ? std::optional(PrintChoice{
                                            static_cast<std::int16_t>(1 + pick(3)), 1 + pick(2)})
                                      : std::nullopt);
        what = Utf16ToUtf8(w.Def().name) + " ";
        switch (pick(6)) {
          case 0:
            if (usable && (c.kind == ControlKind::TextBox || c.kind == ControlKind::ComboBox)) {
              const char16_t* text = kTexts[pick(std::size(kTexts))];
              w.Click(c.name, c.index);  // into the box, then type at the caret
              w.TypeChars(text);
              what += "type into " + Utf16ToUtf8(c.name) + " \"" + Utf16ToUtf8(text) + "\"";
              break;
            }
            [[fallthrough]];
          case 1:
            if (!usable) break;
            registerPressed = isEditor && c.name == u"OKButton";
            what += "click " + Utf16ToUtf8(c.name);
            w.Click(c.name, c.index);
            break;
          case 2: {
            const int key = kKeys[pick(std::size(kKeys))], shift = pick(2);
            registerPressed =
                isEditor && w.FocusedControl() == u"OKButton" && (key == 13 || key == 32);
            what += "key " + std::to_string(key) + (shift ? " shift" : "") + " on " +
                    Utf16ToUtf8(w.FocusedControl());
            w.PressKey(key, shift);
            break;
          }
          case 3:
            what += "surface";
            w.PressSurface(1 << pick(3), 1 + pick(400), 1 + pick(300));
            break;
          case 4:
            what += "focus window";
            w.FocusWindow();
            break;
          default:
            what += "close box";
            if (w.Def().controlBox) w.PressCloseBox();
            break;
        }
      }
    } catch (const std::exception& e) {
      broken = std::string("a crash: ") + e.what();
    }
    log.push_back(std::to_string(n) + ": " + what);
    if (log.size() > 12) log.pop_front();

    const std::string after = Bytes(dir);
    std::u16string saved = editorText;
    if (!saved.ends_with(u"\r\n")) saved += u"\r\n";
    const bool refused =
        b.MessageBoxes().size() == boxes + 1 &&
        b.MessageBoxes().back().prompt.find(u"ファイルは変更していません") != std::u16string::npos;
    if (!broken.empty()) {
    } else if (b.MessageBoxes().size() != boxes && !(registerPressed && refused)) {
      broken = "a message box: " + Utf16ToUtf8(b.MessageBoxes().back().prompt);
    } else if (after != before && !registerPressed) {
      broken = "memo.txt changed without 登録";
    } else if (registerPressed && !refused &&
               (after != EncodeCp932(saved).bytes || b.WindowOf(u"Dialog_DataList"))) {
      broken = "登録 did not save the editor's text and close the editor";
    } else if (refused && after != before) {
      broken = "a refused 登録 changed memo.txt";
    } else if (hotkeyLost || (hotkeyOpens && !b.WindowOf(opens))) {
      broken = "a hotkey did not open " + Utf16ToUtf8(opens);
    } else if ((b.Quits() > 0) != !program->rt.AnyLoaded() ||
               (!b.WindowOf(u"Form1") && !endChosen)) {
      broken = "the program ended, or its host left, without 終了 and the last window closed";
    }
    if (!broken.empty()) {
      std::cerr << "pindle_monkey --seed " << seed << ": action " << n << " broke a promise:\n";
      for (const auto& line : log) std::cerr << "  " << line << "\n";
      std::cerr << "  -> " << broken << "\n";
      return 1;
    }
    saves += registerPressed && !refused, refusals += refused;
    prints += static_cast<long>(b.PrintDialogs().size() > dialogs);
    if (!program->rt.AnyLoaded()) {  // the program ended: start it again
      program.reset();
      program = std::make_unique<Program>(dir.U16());
      endChosen = false;
      ++restarts;
    }
  }
  std::cout << "pindle_monkey --seed " << seed << ": " << actions << " actions (" << saves
            << " saves, " << refusals << " refused saves, " << prints << " print dialogs, "
            << restarts << " runs ended by 終了), every promise kept\n";
  return 0;
}
