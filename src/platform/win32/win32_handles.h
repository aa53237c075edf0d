// Owners for Windows handles: each closes its handle once, when it goes.
#pragma once

#include <windows.h>

#include <utility>

namespace pindle::platform::win32 {

template <class T, class Close>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T value) : value_(value) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, T{}));
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  T get() const { return value_; }
  explicit operator bool() const { return value_ != T{}; }
  void reset(T value = T{}) {
    if (value_ != T{}) Close{}(value_);
    value_ = value;
  }

 private:
  T value_{};
};

struct CloseGdiObject {
  void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct CloseKernelHandle {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct CloseMenu {
  void operator()(HMENU h) const { ::DestroyMenu(h); }
};
struct CloseWindow {
  void operator()(HWND h) const { ::DestroyWindow(h); }
};
struct CloseDc {
  void operator()(HDC h) const { ::DeleteDC(h); }
};
struct CloseIcon {
  void operator()(HICON h) const { ::DestroyIcon(h); }
};
struct FreeGlobal {
  void operator()(HGLOBAL h) const { ::GlobalFree(h); }
};
struct FreeModule {
  void operator()(HMODULE h) const { ::FreeLibrary(h); }
};

using FontHandle = Owned<HFONT, CloseGdiObject>;
using BrushHandle = Owned<HBRUSH, CloseGdiObject>;
using PenHandle = Owned<HPEN, CloseGdiObject>;
using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
using MenuHandle = Owned<HMENU, CloseMenu>;
using WindowHandle = Owned<HWND, CloseWindow>;
using DcHandle = Owned<HDC, CloseDc>;
using GlobalHandle = Owned<HGLOBAL, FreeGlobal>;
using IconHandle = Owned<HICON, CloseIcon>;
using ModuleHandle = Owned<HMODULE, FreeModule>;

// Sets call to the DLL's function of that name, typed as it is called; null (and false) when
// there is no DLL or it lacks the function.
template <class Call>
bool FindCall(Call& call, HMODULE module, const char* name) {
  call = module ? reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                : nullptr;
  return call != nullptr;
}

// Selects a GDI object into a DC for one scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~Selected() { ::SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Locks a global memory block for one scope.
template <class T>
class Locked {
 public:
  explicit Locked(HGLOBAL h) : h_(h), p_(static_cast<T*>(::GlobalLock(h))) {}
  ~Locked() {
    if (p_) ::GlobalUnlock(h_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  T* get() const { return p_; }

 private:
  HGLOBAL h_;
  T* p_;
};

}  // namespace pindle::platform::win32
