// The driver of the in-memory backend: the user's actions are its own; time is its virtual clock.
#include "contract/driver.h"
#include "platform/headless/headless_backend.h"
#include "platform/text.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using platform::headless::HeadlessWindow;

class HeadlessDriver final : public Driver {
 public:
  HeadlessDriver() { backend_.appPath = platform::Utf8ToUtf16(dir_.Path().string()); }

  platform::Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, bool shift) override { W(form).PressKey(vk, shift ? 1 : 0), Pump(); }
  void Type(Form& form, std::u16string_view text) override { W(form).TypeChars(text); }
  void Press(Form& form, std::u16string_view control, int button) override {
    W(form).PressControl(control, button), Pump();
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    W(form).PressSurface(button, x, y), Pump();
  }
  void Choose(Form& form, std::u16string_view c, int index) override { W(form).Choose(c, index); }
  void CloseBox(Form& form) override { W(form).PressCloseBox(); }
  void Post(platform::Hwnd h, std::uint32_t msg, platform::WParam w, platform::LParam l) override {
    backend_.Os().PostMessage(h, msg, w, l), Pump();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    for (int waited = 0; !done(); waited += 10) {
      if (waited >= timeoutMs) return false;
      backend_.Advance(10);
    }
    return true;
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice) override {
    if (answer == PrintDialogAnswer::Fail) return backend_.OnNextPrintDialogFailure();
    backend_.OnNextPrintDialog(answer == PrintDialogAnswer::Ok
                                   ? std::optional<platform::PrintChoice>(choice)
                                   : std::nullopt);
  }
  void AnswerPopupMenu(std::optional<std::u16string> item) override {
    backend_.OnNextPopupMenu(std::move(item));
  }

  std::u16string Focus(Form& form) override { return W(form).FocusedControl(); }
  std::u16string Text(Form& form, std::u16string_view c) override { return W(form).Text(c); }
  int Value(Form& form, std::u16string_view c) override {
    return KindOf(form, c) == platform::ControlKind::ComboBox ? W(form).ListIndex(c)
                                                              : W(form).Value(c);
  }
  bool Visible(Form& form, std::u16string_view c) override { return W(form).ControlVisible(c); }
  bool WindowVisible(Form& form) override { return form.IsLoaded() && W(form).IsVisible(); }
  bool LoopEnded() override { return backend_.Quits() > 0; }
  std::vector<SeenMessageBox> MessageBoxes() override {
    std::vector<SeenMessageBox> seen;
    for (const auto& box : backend_.MessageBoxes())
      seen.push_back({box.prompt, box.style, box.title});
    return seen;
  }
  std::vector<PrintedDocument> Printed() override {
    std::vector<PrintedDocument> printed;
    for (const auto& doc : backend_.CurrentPrinter().Documents()) {
      auto& pages = printed.emplace_back().pages;
      for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        if (i % platform::headless::CapturedPrinter::kLinesPerPage == 0) pages.emplace_back();
        pages.back().push_back(doc.lines[i]);
      }
    }
    return printed;
  }
  std::vector<std::u16string> ShellOpened() override {
    std::vector<std::u16string> opened;
    for (const auto& request : backend_.Os().ShellRequests()) opened.push_back(request.file);
    return opened;
  }

  std::vector<std::u16string> Notices() override { return backend_.Notices(); }
  bool EndSession() override { return backend_.EndSession(); }
  bool HoldHotkeyElsewhere(unsigned modifiers, unsigned vk) override {
    backend_.Os().TakeHotkeyElsewhere(modifiers, vk);
    return true;
  }

 private:
  HeadlessWindow& W(Form& form) { return static_cast<HeadlessWindow&>(form.Peer()); }
  void Pump() { backend_.PumpMessages(); }

  testing::TempDir dir_;
  platform::headless::HeadlessBackend backend_;
  platform::Runtime rt_{backend_};
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<HeadlessDriver>();
}

}  // namespace pindle::contract
