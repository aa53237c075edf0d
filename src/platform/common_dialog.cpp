#include "platform/common_dialog.h"

#include "platform/form.h"
#include "platform/runtime.h"
#include "platform/runtime_error.h"

namespace pindle::platform {

void CommonDialog::ShowPrinter() {
  const auto choice = owner_.App().GetBackend().PrintDialog().ShowPrinter(owner_.hWnd(), Flags);
  if (!choice) {
    if (CancelError) throw RuntimeError(err::kCancelSelected, u"キャンセルが選択されました。");
    return;
  }
  Copies = choice->copies;
  Orientation = choice->orientation;
}

}  // namespace pindle::platform
