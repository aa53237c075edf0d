// The contract suite's driver for the in-memory backend: the user's actions are the backend's
// own, and time is its virtual clock.
#include <filesystem>

#include "contract/driver.h"
#include "platform/headless/headless_backend.h"
#include "platform/text.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using platform::headless::HeadlessBackend;
using platform::headless::HeadlessWindow;

class HeadlessDriver final : public Driver {
 public:
  HeadlessDriver() { backend_.appPath = platform::Utf8ToUtf16(dir_.Path().string()); }

  platform::Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, int shift) override {
    Window(form).PressKey(vk, shift);
    backend_.PumpMessages();
  }
  void Type(Form& form, std::u16string_view text) override { Window(form).TypeChars(text); }
  void Press(Form& form, std::u16string_view control, int button) override {
    Window(form).PressControl(control, button);
    backend_.PumpMessages();
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    Window(form).PressSurface(button, x, y);
    backend_.PumpMessages();
  }
  void Choose(Form& form, std::u16string_view control, int index) override {
    Window(form).Choose(control, index);
  }
  void CloseBox(Form& form) override { Window(form).PressCloseBox(); }
  void Post(platform::Hwnd hWnd, std::uint32_t uMsg, platform::WParam wParam,
            platform::LParam lParam) override {
    backend_.Machine().PostMessage(hWnd, uMsg, wParam, lParam);
    backend_.PumpMessages();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    for (int waited = 0; !done(); waited += 10) {
      if (waited >= timeoutMs) return false;
      backend_.Advance(10);
    }
    return true;
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice) override {
    if (answer == PrintDialogAnswer::Fail) {
      backend_.OnNextPrintDialogFailure();
    } else {
      backend_.OnNextPrintDialog(answer == PrintDialogAnswer::Ok
                                     ? std::optional<platform::PrintChoice>(choice)
                                     : std::nullopt);
    }
  }
  void AnswerPopupMenu(std::optional<std::u16string> item) override {
    backend_.OnNextPopupMenu(std::move(item));
  }
  void SetClock(const platform::DateTime& t) override { backend_.SetClock(t); }
  std::u16string AppDir() override { return backend_.appPath; }

  std::u16string Focus(Form& form) override { return Window(form).FocusedControl(); }
  std::u16string Text(Form& form, std::u16string_view control) override {
    return Window(form).Text(control);
  }
  std::pair<int, int> Selection(Form& form, std::u16string_view control) override {
    return Window(form).Selection(control);
  }
  int ListIndex(Form& form, std::u16string_view control) override {
    return Window(form).ListIndex(control);
  }
  int Value(Form& form, std::u16string_view control) override {
    return Window(form).Value(control);
  }
  bool Visible(Form& form, std::u16string_view control) override {
    return Window(form).ControlVisible(control);
  }
  bool WindowVisible(Form& form) override { return form.IsLoaded() && Window(form).IsVisible(); }
  bool LoopEnded() override { return backend_.Quits() > 0; }
  std::vector<SeenMessageBox> MessageBoxes() override {
    std::vector<SeenMessageBox> seen;
    for (const auto& box : backend_.MessageBoxes()) {
      seen.push_back({box.prompt, box.style, box.title});
    }
    return seen;
  }
  std::vector<PrintedDocument> Printed() override {
    std::vector<PrintedDocument> printed;
    for (const auto& doc : backend_.TestPrinter().Documents()) {
      PrintedDocument d;
      for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        if (i % platform::headless::CapturedPrinter::kLinesPerPage == 0) d.pages.emplace_back();
        d.pages.back().push_back(doc.lines[i]);
      }
      printed.push_back(std::move(d));
    }
    return printed;
  }
  std::vector<std::u16string> ShellOpened() override {
    std::vector<std::u16string> opened;
    for (const auto& request : backend_.Machine().ShellRequests()) opened.push_back(request.file);
    return opened;
  }

 private:
  HeadlessWindow& Window(Form& form) { return static_cast<HeadlessWindow&>(form.Peer()); }

  testing::TempDir dir_;
  HeadlessBackend backend_;
  platform::Runtime rt_{backend_};
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<HeadlessDriver>();
}

}  // namespace pindle::contract
