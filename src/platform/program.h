// The program's entry into the runtime, called by every backend's main once the runtime
// exists: the program loads its start-up window.
#pragma once

namespace pindle::platform {

class Runtime;

void StartProgram(Runtime& runtime);

}  // namespace pindle::platform
