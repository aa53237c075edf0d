#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "host/form1.h"
#include "platform/program.h"

#if defined(_MSC_VER)
#pragma warning(disable : 4996)  // getenv: the plain C call is all this needs
#endif

namespace pindle::platform {

namespace {

// When PINDLE_READY_FILE names a file, the time start-up finished (the tray icon added, or its
// retries started where no tray runs yet, and the three hotkeys registered) is written there,
// in microseconds since 1970 on the system clock, so that a benchmark can time the start from
// outside.  Without the variable nothing is written; a file that cannot be written is skipped.
// Through stdio: the C++ streams would link their locales into the Windows program (0.7 MB).
void WriteReadyMarker() {
  const char* path = std::getenv("PINDLE_READY_FILE");
  if (path == nullptr || *path == '\0') return;
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  struct Close {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  const std::unique_ptr<std::FILE, Close> file(std::fopen(path, "w"));
  if (file) std::fprintf(file.get(), "%lld\n", static_cast<long long>(now.count()));
}

}  // namespace

// The program starts by loading the tray host; it has no start-up procedure of its own.
void StartProgram(Runtime& runtime) {
  runtime.Start<Form1>();
  WriteReadyMarker();
}

}  // namespace pindle::platform
