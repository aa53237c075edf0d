// The programs Wine hands mail and web addresses to, recorded.
#pragma once

#include <windows.h>

#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "temp_dir.h"

namespace pindle::contract {

// Under Wine, ShellExecute hands http, https and mailto targets to winebrowser (the prefix's
// HKCR\<scheme>\shell\open\command), and winebrowser starts the first Unix program of its
// Browsers or Mailers list (HKCU\Software\Wine\WineBrowser; each entry a command line, the
// target added as the last argument).  The recorder points both lists at a shell script that
// writes one line per start: "browser" or "mailer", then each argument in brackets.  The
// settings are put back as they were when the recorder goes.
class WineBrowserRecorder {
 public:
  WineBrowserRecorder() {
    using UnixName = char* (*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) throw std::runtime_error("not running under Wine");
    char* name = unixName(dir_.Path().wstring().c_str());
    if (!name) throw std::runtime_error("no Unix name for the temporary directory");
    const std::string unixDir = name;
    ::HeapFree(::GetProcessHeap(), 0, name);

    dir_.Write("record.sh",
               "kind=\"$1\"\n"
               "shift\n"
               "line=\"$kind\"\n"
               "for argument in \"$@\"; do line=\"$line [$argument]\"; done\n"
               "printf '%s\\n' \"$line\" >>'" +
                   unixDir + "/starts.txt'\n");
    const std::wstring script(unixDir.begin(), unixDir.end());
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                          nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot open HKCU\\Software\\Wine\\WineBrowser");
    }
    Set(L"Browsers", L"/bin/sh \"" + script + L"/record.sh\" browser");
    Set(L"Mailers", L"/bin/sh \"" + script + L"/record.sh\" mailer");
  }
  ~WineBrowserRecorder() {
    for (const auto& [name, previous] : saved_) {
      if (previous) {
        ::RegSetValueExW(key_, name.c_str(), 0, previous->type, previous->data.data(),
                         static_cast<DWORD>(previous->data.size()));
      } else {
        ::RegDeleteValueW(key_, name.c_str());
      }
    }
    ::RegCloseKey(key_);
  }
  WineBrowserRecorder(const WineBrowserRecorder&) = delete;
  WineBrowserRecorder& operator=(const WineBrowserRecorder&) = delete;

  // The lines written so far, one per program started.
  std::vector<std::string> Starts() const {
    std::vector<std::string> lines;
    std::ifstream in(dir_.Path() / "starts.txt");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  struct Value {
    DWORD type;
    std::vector<BYTE> data;
  };

  void Set(const std::wstring& name, const std::wstring& value) {
    DWORD type = 0, size = 0;
    std::optional<Value> previous;
    if (::RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      previous = Value{type, std::vector<BYTE>(size)};
      ::RegQueryValueExW(key_, name.c_str(), nullptr, &type, previous->data.data(), &size);
    }
    saved_.emplace_back(name, std::move(previous));
    ::RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }

  pindle::testing::TempDir dir_;
  HKEY key_ = nullptr;
  std::vector<std::pair<std::wstring, std::optional<Value>>> saved_;
};

}  // namespace pindle::contract
