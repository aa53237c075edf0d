#include "platform/runtime.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "platform/text.h"

namespace pindle::platform {

namespace {
Runtime* g_current = nullptr;
}  // namespace

Runtime::Runtime(Backend& backend) : backend_(backend) {
  g_current = this;
}

Runtime::~Runtime() {
  TearDown();
  if (g_current == this) g_current = nullptr;
}

Runtime& Runtime::Current() {
  if (!g_current) throw std::logic_error("no runtime");
  return *g_current;
}

Form* Runtime::Find(std::type_index key) const {
  const auto it = forms_.find(key);
  return it == forms_.end() ? nullptr : it->second.get();
}

std::vector<Form*> Runtime::LoadedForms() const {
  std::vector<Form*> loaded;
  for (const auto& [key, form] : forms_) loaded.push_back(form.get());
  return loaded;
}

Form* Runtime::FormByHandle(Hwnd hWnd) const {
  for (const auto& [key, form] : forms_) {
    if (form->IsLoaded() && form->hWnd() == hWnd) return form.get();
  }
  return nullptr;
}

void Runtime::Load(std::type_index key, std::unique_ptr<Form> form) {
  Form& ref = *form;
  ref.peer_ = backend_.CreatePeer(ref, ref.Definition());
  forms_.emplace(key, std::move(form));
  try {
    ref.Form_Load();
  } catch (...) {
    // A window whose load failed is not left behind half-built and hidden.
    Discard(ref);
    if (!AnyLoaded() && !ended_) QuitWhenIdle();
    throw;
  }
}

void Runtime::Discard(Form& form) {
  for (auto it = forms_.begin(); it != forms_.end(); ++it) {
    if (it->second.get() != &form) continue;
    form.peer_.reset();  // the window and its timers go now
    retired_.push_back(std::move(it->second));
    forms_.erase(it);
    return;
  }
}

void Runtime::UnloadForm(Form& form, int unloadMode) {
  if (!form.IsLoaded() || form.unloading_) return;
  form.unloading_ = true;
  struct Reset {
    Form& f;
    ~Reset() { f.unloading_ = false; }
  } reset{form};
  int cancel = 0;
  form.Form_QueryUnload(cancel, unloadMode);
  if (cancel != 0) return;
  form.Form_Unload(cancel);
  if (cancel != 0) return;
  Discard(form);
  if (!AnyLoaded()) QuitWhenIdle();
}

void Runtime::QuitWhenIdle() {
  // A message loop told to stop closes every message box opened after it: the event that
  // closed the last window finishes first (its error report included).
  if (eventDepth_ == 0) {
    backend_.Quit();
  } else {
    quitPending_ = true;
  }
}

void Runtime::End() {
  ended_ = true;
  throw ProgramEnd{};
}

std::optional<Runtime::SessionHold> Runtime::QueryEndSession() {
  std::optional<SessionHold> hold;
  // One event around the questions, so that a window one handler unloads is not freed while
  // the others are asked; each handler's own error is reported and counts as no refusal.
  RunEvent([this, &hold] {
    for (Form* form : LoadedForms()) {
      if (hold || !Contains(form)) continue;
      RunEvent([form, &hold] {
        int cancel = 0;
        std::u16string reason;
        form->Form_QueryEndSession(cancel, reason);
        if (cancel == 0 || !form->IsLoaded()) return;
        form->Show();
        hold = SessionHold{form->hWnd(), std::move(reason)};
      });
    }
  });
  return hold;
}

void Runtime::EndSession() {
  RunEvent([this] {
    for (Form* form : LoadedForms()) {
      if (Contains(form)) UnloadForm(*form, kUnloadAppWindows);
    }
  });
  if (AnyLoaded() && !ended_) {  // a window kept itself loaded: the session ends all the same
    ended_ = true;
    TearDown();
  }
}

bool Runtime::Contains(const Form* form) const {
  for (const auto& [key, loaded] : forms_) {
    if (loaded.get() == form) return true;
  }
  return false;
}

void Runtime::HotkeyRefused(unsigned modifiers, unsigned vk, std::u16string desktopNote) {
  const auto same = [&](const RefusedHotkey& k) { return k.modifiers == modifiers && k.vk == vk; };
  if (std::any_of(toldHotkeys_.begin(), toldHotkeys_.end(), same) ||
      std::any_of(refusedHotkeys_.begin(), refusedHotkeys_.end(), same)) {
    return;
  }
  refusedHotkeys_.push_back({modifiers, vk, std::move(desktopNote)});
  if (eventDepth_ == 0) TellRefusedHotkeys();
}

void Runtime::TellRefusedHotkeys() {
  if (refusedHotkeys_.empty() || ended_) return;
  std::vector<RefusedHotkey> keys = std::move(refusedHotkeys_);
  refusedHotkeys_.clear();
  toldHotkeys_.insert(toldHotkeys_.end(), keys.begin(), keys.end());
  try {
    Notice(RefusedHotkeysText(keys));
  } catch (...) {
    // No desktop left to tell.
  }
}

void Runtime::RunEvent(const std::function<void()>& fn) {
  if (ended_) return;
  ++eventDepth_;
  try {
    fn();
  } catch (const ProgramEnd&) {
    ended_ = true;
  } catch (const RuntimeError& e) {
    ReportError(e.Number(), e.Description());
  } catch (const std::bad_alloc&) {
    ReportError(err::kOutOfMemory, u"メモリが不足しています。");
  } catch (const std::exception& e) {
    ReportError(err::kInternal, Utf8ToUtf16(e.what()));
  }
  --eventDepth_;
  if (ended_) {
    TearDown();
  } else if (eventDepth_ == 0) {
    retired_.clear();
    TellRefusedHotkeys();
    if (quitPending_ && !AnyLoaded()) backend_.Quit();
    quitPending_ = false;
  }
}

void Runtime::ReportError(int number, const std::u16string& description) {
  try {
    MsgBox(u"実行時エラー '" + DecimalText(number) + u"':\n\n" + description, kMbIconStop);
  } catch (...) {
    // The report itself failed (no desktop left); nothing more can be shown.
  }
}

int Runtime::MsgBox(const std::u16string& prompt, int style, const std::u16string& title) {
  return backend_.ShowMessageBox(0, prompt, style, title.empty() ? kAppTitle : title);
}

void Runtime::TearDown() {
  for (auto& [key, form] : forms_) {
    form->peer_.reset();
    retired_.push_back(std::move(form));
  }
  forms_.clear();
  if (eventDepth_ == 0) retired_.clear();
  if (ended_ && !endQuit_) {  // the loop is told once
    endQuit_ = true;
    backend_.Quit();
  }
}

LResult PINDLE_CALLBACK RuntimeWindowProc(Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                                          LParam lParam) {
  if (Form* form = Runtime::Current().FormByHandle(hWnd)) {
    form->DispatchMouseMessage(uMsg, wParam, lParam);
  }
  return 0;
}

}  // namespace pindle::platform
