// The user's answers to the modal things of the Windows backend: message boxes, the pop-up
// menu and the print dialog.  A thread timer looks for an open message box or menu from inside
// its modal loop, reads what it shows and answers it as the user would (OK; the menu's keys).
// The print dialog is answered in place of the system's (PrintDialogCalls).
#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "contract/driver.h"
#include "platform/win32/win32_printer.h"

namespace pindle::contract {

class ModalAnswers {
 public:
  ModalAnswers();
  ~ModalAnswers();
  ModalAnswers(const ModalAnswers&) = delete;
  ModalAnswers& operator=(const ModalAnswers&) = delete;

  const std::vector<SeenMessageBox>& MessageBoxes() const { return boxes_; }
  // The menu's next answer: the position of the item to choose among the items that are not
  // separators, or nothing (the menu is closed).
  void NextMenu(std::optional<int> item) { menus_.push_back(item); }
  void NextPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice) {
    printDialogs_.push_back({answer, choice});
  }
  static platform::win32::PrintDialogCalls PrintDialogCalls();

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK Inspect(HWND window, LPARAM);
  static BOOL WINAPI PrintDlg(LPPRINTDLGW pd);
  static DWORD WINAPI ExtendedError();

  struct PrintAnswer {
    PrintDialogAnswer answer;
    platform::PrintChoice choice;
  };
  UINT_PTR timer_;
  std::vector<SeenMessageBox> boxes_;
  std::vector<HWND> answered_;
  std::deque<std::optional<int>> menus_;
  std::deque<PrintAnswer> printDialogs_;
  DWORD printError_ = 0;
  int menuTicks_ = 0;  // ticks an open menu without an answer has seen
};

}  // namespace pindle::contract
