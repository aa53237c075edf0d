// Window procedures for backends whose windows have no native procedure (in-memory, Qt): each
// window's current procedure, exchanged by SetWindowLongA(-4), and messages sent through it.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/os_api.h"

namespace pindle::platform {

class ProcedureChain {
 public:
  // A new window starts with the runtime's own procedure.
  void Add(Hwnd hWnd);
  void Remove(Hwnd hWnd);
  bool Contains(Hwnd hWnd) const { return procs_.contains(hWnd); }
  std::vector<Hwnd> Windows() const;
  // Puts newProc in place and returns the previous procedure (0 for an unknown window).
  std::intptr_t Exchange(Hwnd hWnd, std::intptr_t newProc);
  // Sends a message through the window's current procedure; 0 for an unknown window.
  LResult Send(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) const;
  static LResult Call(std::intptr_t proc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                      LParam lParam);

 private:
  std::map<Hwnd, std::intptr_t> procs_;
};

}  // namespace pindle::platform
