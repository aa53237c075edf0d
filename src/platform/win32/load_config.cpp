// Pindle.exe's load configuration, for MinGW-w64 (MSVC's runtime brings its own and its linker
// sets the flags): the DLLs that the program's imports need are looked for in the system folder
// only, never beside the program.  Windows 10 1607 and later read the flags.  GNU ld does not
// point the image's load-configuration entry here; cmake/pe_load_config.py does after the link.
#include <windows.h>

namespace {

constexpr IMAGE_LOAD_CONFIG_DIRECTORY64 LoadConfiguration() {
  IMAGE_LOAD_CONFIG_DIRECTORY64 config{};
  config.Size = sizeof config;
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags, by its old name
  return config;
}

}  // namespace

extern "C" __attribute__((used)) constinit const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used =
    LoadConfiguration();
