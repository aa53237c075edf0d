// The registered-memo editor: the whole of memo.txt in one box, a register button that writes
// it back and closes, and a cancel button that closes without writing.
#pragma once

#include "platform/form.h"
#include "platform/runtime.h"

namespace pindle {

const platform::FormDef& Dialog_DataListDefinition();

class Dialog_DataList final : public platform::Form {
 public:
  explicit Dialog_DataList(platform::Runtime& rt);

  void Form_Load() override;
  void Form_QueryEndSession(int& Cancel, std::u16string& Reason) override;

  platform::Control Text1{*this, u"Text1"};

 private:
  void OKButton_Click();
  void CancelButton_Click();

  std::u16string loadedText_;  // Text1 as Form_Load filled it
};

}  // namespace pindle
