#include "host/form1.h"
#include "platform/program.h"

namespace pindle::platform {

// The program starts by loading the tray host; it has no start-up procedure of its own.
void StartProgram(Runtime& runtime) {
  runtime.Start<Form1>();
}

}  // namespace pindle::platform
