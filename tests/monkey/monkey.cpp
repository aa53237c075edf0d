// The monkey: seeded random user actions on the in-memory backend, the program's promises
// checked after each.  pindle_monkey [--seed N] [--actions N]; a broken promise prints the seed
// and the last actions, and the same seed replays them exactly.
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

using namespace pindle::platform;

namespace {

const char16_t* const kTexts[] = {
    u"",       u"メモ",   u"abc\r\ndef", u"電話下さい\r\n\r\n", u"😀",
    u"¥100 €", u"\uFFFD", u"ｶﾀｶﾅ~\\",    u"\u301C\u2212",       u"x\ty"};
const char16_t* const kMenu[] = {u"memo", u"customise", u"bar", u"manual", u"aboutme", u"end"};
const int kKeys[] = {13, 27, 9, 32, 0x70, 0x71, 65};  // Enter, Esc, Tab, space, F1, F2, A

struct Program {
  explicit Program(const std::u16string& dir) { backend.appPath = dir, StartProgram(rt); }
  headless::HeadlessBackend backend;
  Runtime rt{backend};
};

}  // namespace

int main(int argc, char** argv) {
  unsigned seed = std::random_device{}();
  long actions = 10000, saves = 0, refusals = 0, prints = 0, runs = 1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--seed") seed = static_cast<unsigned>(std::stoul(argv[i + 1]));
    if (std::string(argv[i]) == "--actions") actions = std::stol(argv[i + 1]);
  }
  std::mt19937 random(seed);
  auto pick = [&](std::size_t n) { return static_cast<int>(random() % n); };
  pindle::testing::TempDir dir;
  dir.Write("memo.txt", "\x93\x6f\x98\x5e\x83\x81\x83\x82\r\n");  // 登録メモ
  auto memo = [&] { return ReadFileIfExists(dir.U16("memo.txt")).value_or(""); };
  auto program = std::make_unique<Program>(dir.U16());
  std::deque<std::string> log;
  bool endChosen = false;
  for (long n = 1; n <= actions; ++n) {
    auto& b = program->backend;
    const std::string before = memo();
    const std::size_t boxes = b.MessageBoxes().size(), dialogs = b.PrintDialogs().size();
    const auto* editor = b.WindowOf(u"Dialog_DataList");
    std::u16string typed = editor ? editor->Text(u"Text1") : u"", opens;
    const bool host = b.WindowOf(u"Form1") != nullptr;
    bool registering = false, hotkeyLost = false;
    std::string what, broken;
    const auto visible = b.ZOrder();
    try {
      const int kind = pick(visible.empty() ? 3 : 10);
      if (kind == 0) {
        const int f = pick(3);
        what = "Alt+F" + std::to_string(f + 1);
        hotkeyLost = !b.PressHotkey(kModAlt, 0x70u + static_cast<unsigned>(f)) && host;
        if (host && f != 1) opens = f == 0 ? u"frmMain" : u"Dialog_DataList";
      } else if (kind == 1) {
        const auto mouse = static_cast<std::uint32_t>(512 + pick(6));
        const std::u16string item = pick(4) ? kMenu[pick(6)] : u"(none)";
        if (mouse == 516 && host)
          b.OnNextPopupMenu(item == u"(none)" ? std::nullopt : std::optional(item));
        what = "tray " + std::to_string(mouse) + (mouse == 516 ? " " + Utf16ToUtf8(item) : "");
        endChosen |= b.TrayMouse(mouse) && mouse == 516 && item == u"end";
      } else if (kind == 2) {
        b.Advance(pick(3000));
        what = "time";
      } else {  // the front window, or another visible one
        auto& w =
            *b.WindowOf(visible[static_cast<std::size_t>(pick(2) ? 0 : pick(visible.size()))]);
        const auto& c = w.Def().controls[static_cast<std::size_t>(pick(w.Def().controls.size()))];
        const bool usable = c.kind != ControlKind::Timer && c.kind != ControlKind::CommonDialog &&
                            c.kind != ControlKind::Line && w.ControlVisible(c.name, c.index);
        const bool inEditor = w.Def().name == u"Dialog_DataList";
        if (w.Def().name == u"Dialog_Printer") {
          b.OnNextPrintDialog(pick(2) ? std::optional(PrintChoice{
                                            static_cast<std::int16_t>(1 + pick(3)), 1 + pick(2)})
                                      : std::nullopt);
        }
        what = Utf16ToUtf8(w.Def().name) + " ";
        const int action = pick(6);
        if (action <= 1 && usable &&
            (c.kind == ControlKind::TextBox || c.kind == ControlKind::ComboBox)) {
          const char16_t* text = kTexts[pick(std::size(kTexts))];
          what += "type into " + Utf16ToUtf8(c.name) + " \"" + Utf16ToUtf8(text) + "\"";
          w.Click(c.name, c.index);
          w.TypeChars(text);
        } else if (action <= 1 && usable) {
          what += "click " + Utf16ToUtf8(c.name);
          registering = inEditor && c.name == u"OKButton";
          w.Click(c.name, c.index);
        } else if (action == 2) {
          const int key = kKeys[pick(std::size(kKeys))], shift = pick(2);
          what += "key " + std::to_string(key) + (shift ? "+shift" : "") + " on " +
                  Utf16ToUtf8(w.FocusedControl());
          registering = inEditor && w.FocusedControl() == u"OKButton" && (key == 13 || key == 32);
          w.PressKey(key, shift);
        } else if (action == 3) {
          what += "surface";
          w.PressSurface(1 << pick(3), 1 + pick(400), 1 + pick(300));
        } else if (action == 4) {
          what += "focus window";
          w.FocusWindow();
        } else if (w.Def().controlBox) {
          what += "close box";
          w.PressCloseBox();
        }
      }
    } catch (const std::exception& e) {
      broken = std::string("a crash: ") + e.what();
    }
    log.push_back(std::to_string(n) + ": " + what);
    if (log.size() > 12) log.pop_front();
    if (!typed.ends_with(u"\r\n")) typed += u"\r\n";
    const auto& shown = b.MessageBoxes();
    const bool refused =
        registering && shown.size() == boxes + 1 &&
        shown.back().prompt.find(u"ファイルは変更していません") != std::u16string::npos;
    if (!broken.empty()) {
    } else if (shown.size() != boxes && !refused) {
      broken = "a message box: " + Utf16ToUtf8(shown.back().prompt);
    } else if (memo() != (registering && !refused ? EncodeCp932(typed).bytes : before)) {
      broken = "memo.txt is not as it was, or 登録 did not save the editor's text";
    } else if (registering && !refused && b.WindowOf(u"Dialog_DataList")) {
      broken = "登録 did not close the editor";
    } else if (hotkeyLost || (!opens.empty() && !b.WindowOf(opens))) {
      broken = "a hotkey did not reach the program or open its window";
    } else if ((b.Quits() > 0) == program->rt.AnyLoaded() ||
               (!b.WindowOf(u"Form1") && !endChosen)) {
      broken = "the program or its host ended without 終了, or went on without a window";
    }
    if (!broken.empty()) {
      std::cerr << "pindle_monkey --seed " << seed << ": action " << n << " broke a promise\n";
      for (const auto& line : log) std::cerr << "  " << line << "\n";
      std::cerr << "  -> " << broken << "\n";
      return 1;
    }
    saves += registering && !refused, refusals += refused,
        prints += b.PrintDialogs().size() > dialogs;
    if (!program->rt.AnyLoaded()) {  // ended by 終了 and the last window closed: start again
      program = nullptr;
      program = std::make_unique<Program>(dir.U16());
      endChosen = false, ++runs;
    }
  }
  std::cout << "pindle_monkey --seed " << seed << ": " << actions << " actions in " << runs
            << " runs, " << saves << " saves, " << refusals << " refused saves, " << prints
            << " print dialogs; every promise kept\n";
}
