// The About window: product name, version, copyright, terms of use and the author's mail
// address and home page, both of which open through the shell when clicked.
#pragma once

#include <string_view>

#include "platform/form.h"
#include "platform/runtime.h"

namespace pindle {

const platform::FormDef& frmAboutDefinition();

class frmAbout final : public platform::Form {
 public:
  explicit frmAbout(platform::Runtime& rt);

 private:
  void cmdOK_Click();
  void Label2_Click();
  void lblDisclaimer_Click();
  // Asks the shell to open target; an error raised while asking shows the two-line message
  // ending in failureLine.  What the shell answers is not looked at.
  void OpenWithShell(std::u16string_view target, std::u16string_view failureLine);
};

}  // namespace pindle
