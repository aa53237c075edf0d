// The usage window: ten lines on a white panel telling how to bring up and dismiss the quick
// memo window and how to open the registered-memo editor.  No handlers; closed from its title
// bar.
#pragma once

#include "platform/form.h"
#include "platform/runtime.h"

namespace pindle {

const platform::FormDef& frmTipDefinition();

class frmTip final : public platform::Form {
 public:
  explicit frmTip(platform::Runtime& rt);
};

}  // namespace pindle
