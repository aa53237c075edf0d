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
  // SetWindowLongA: with index -4 (GWL_WNDPROC) exchanges the window's procedure; any other
  // index changes nothing and returns 0.
  std::intptr_t SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) {
    return index == kGwlWndProc ? Exchange(hWnd, newLong) : 0;
  }
  // Sends a message through the window's current procedure; 0 for an unknown window.
  LResult Send(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) const;
  // CallWindowProcA: calls proc with the message and returns its result.
  static LResult Call(std::intptr_t proc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                      LParam lParam);

 private:
  std::map<Hwnd, std::intptr_t> procs_;
};

}  // namespace pindle::platform
