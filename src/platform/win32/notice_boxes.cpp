#include "platform/win32/notice_boxes.h"

#include <memory>
#include <utility>

#include "platform/win32/window_queries.h"

namespace pindle::platform::win32 {

namespace {

struct NoticeText {
  std::wstring prompt, title;
};

DWORD WINAPI RunNotice(void* parameter) {
  const std::unique_ptr<NoticeText> text(static_cast<NoticeText*>(parameter));
  ::MessageBoxW(nullptr, text->prompt.c_str(), text->title.c_str(),
                MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
  return 0;
}

}  // namespace

void NoticeBoxes::Show(const std::wstring& prompt, const std::wstring& title) {
  auto text = std::make_unique<NoticeText>(NoticeText{prompt, title});
  DWORD id = 0;
  KernelHandle thread(::CreateThread(nullptr, 0, &RunNotice, text.get(), 0, &id));
  if (!thread) return;  // no thread to spare: the notice is not worth stopping the program for
  text.release();       // the thread's now
  boxes_.push_back({std::move(thread), id});
}

NoticeBoxes::~NoticeBoxes() {
  for (Box& box : boxes_) {
    // The box may not be up yet: ask again until its thread has ended (five seconds at most).
    for (int tries = 0; tries < 100 && ::WaitForSingleObject(box.thread.get(), 50) == WAIT_TIMEOUT;
         ++tries) {
      for (HWND window : ThreadWindows(box.threadId)) ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
}

}  // namespace pindle::platform::win32
