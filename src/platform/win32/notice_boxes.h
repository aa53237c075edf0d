// Message boxes that wait for nobody: each runs on a thread of its own, so the program's one
// thread goes on while the box is open.  Boxes still open when the owner goes are closed, and
// their threads ended, first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

class NoticeBoxes {
 public:
  NoticeBoxes() = default;
  ~NoticeBoxes();
  NoticeBoxes(const NoticeBoxes&) = delete;
  NoticeBoxes& operator=(const NoticeBoxes&) = delete;

  void Show(const std::wstring& prompt, const std::wstring& title);

 private:
  struct Box {
    KernelHandle thread;
    DWORD threadId = 0;
  };
  std::vector<Box> boxes_;
};

}  // namespace pindle::platform::win32
