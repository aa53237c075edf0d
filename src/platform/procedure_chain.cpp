#include "platform/procedure_chain.h"

#include "platform/runtime.h"

namespace pindle::platform {

void ProcedureChain::Add(Hwnd hWnd) {
  procs_[hWnd] = ProcAddress(&RuntimeWindowProc);
}

std::vector<Hwnd> ProcedureChain::Windows() const {
  std::vector<Hwnd> windows;
  for (const auto& [hWnd, proc] : procs_) windows.push_back(hWnd);
  return windows;
}

void ProcedureChain::Remove(Hwnd hWnd) {
  procs_.erase(hWnd);
}

std::intptr_t ProcedureChain::Exchange(Hwnd hWnd, std::intptr_t newProc) {
  const auto it = procs_.find(hWnd);
  if (it == procs_.end() || newProc == 0) return 0;
  const std::intptr_t previous = it->second;
  it->second = newProc;
  return previous;
}

LResult ProcedureChain::Send(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) const {
  const auto it = procs_.find(hWnd);
  if (it == procs_.end()) return 0;
  return Call(it->second, hWnd, uMsg, wParam, lParam);
}

LResult ProcedureChain::Call(std::intptr_t proc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                             LParam lParam) {
  if (proc == 0) return 0;
  return reinterpret_cast<WndProc>(proc)(hWnd, uMsg, wParam, lParam);
}

}  // namespace pindle::platform
