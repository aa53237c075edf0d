// A Windows tool for scripts/print-e2e-windows: prints the program's page on a real print queue
// through the print dialog window and the GDI printer, with the system's print dialog replaced by
// a stand-in that chooses the queue as a user would (printer, copies, orientation).
//   print_probe list
//       prints the name of every printer the spooler knows, one a line, in UTF-8.
//   print_probe print QUEUE ticked|cleared COPIES portrait|landscape
//       opens Dialog_Printer with the memo "明日の会議は中止" CR LF "資料は来週配布します";
//       ticked: ticks the phone-message switch and fills 10時20分, 山田, the first call-back
//       entry and 佐藤; then presses 印刷.  Prints what the job was given; exit code 0 when the
//       page went to the queue without a message.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/backend.h"
#include "platform/runtime.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_printer.h"
#include "print/dialog_printer.h"
#include "print/module1.h"

namespace {

using namespace pindle;
using namespace pindle::platform;
using win32::Win32PrintDialog;
using win32::Win32Printer;

void WriteUtf8(std::wstring_view text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
  bytes += '\n';
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

std::vector<std::wstring> PrinterNames() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  ::EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<std::byte> buffer(needed);
  std::vector<std::wstring> names;
  if (needed == 0 || !::EnumPrintersW(flags, nullptr, 4, reinterpret_cast<BYTE*>(buffer.data()),
                                      needed, &needed, &count)) {
    return names;
  }
  const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.emplace_back(info[i].pPrinterName);
  return names;
}

struct ClosePrinterHandle {
  void operator()(HANDLE h) const { ::ClosePrinter(h); }
};
using PrinterHandle = win32::Owned<HANDLE, ClosePrinterHandle>;

// The print dialog as a user fills it in: the queue chosen by name from the printers the
// spooler lists, the driver's settings with the copies and the orientation changed.
class QueueChooser final : public PrintDialogService {
 public:
  QueueChooser(Win32Printer& printer, std::wstring queue, short copies, short orientation)
      : printer_(printer), queue_(std::move(queue)), copies_(copies), orientation_(orientation) {}

  std::optional<PrintChoice> ShowPrinter(Hwnd ownerWindow, std::int32_t dialogFlags) override {
    ++shown;
    owner = ownerWindow;
    flags = dialogFlags;
    bool listed = false;
    for (const auto& name : PrinterNames()) listed = listed || name == queue_;
    if (!listed) {
      problem = L"the spooler does not list " + queue_;
      return std::nullopt;
    }
    HANDLE raw = nullptr;
    if (!::OpenPrinterW(queue_.data(), &raw, nullptr) || !raw) {
      problem = L"OpenPrinterW failed for " + queue_;
      return std::nullopt;
    }
    const PrinterHandle printer(raw);
    const LONG size =
        ::DocumentPropertiesW(nullptr, printer.get(), queue_.data(), nullptr, nullptr, 0);
    if (size < static_cast<LONG>(sizeof(DEVMODEW))) {
      problem = L"DocumentPropertiesW gives no DEVMODE";
      return std::nullopt;
    }
    std::vector<std::byte> defaults(static_cast<std::size_t>(size));
    std::vector<std::byte> chosen(static_cast<std::size_t>(size));
    auto* in = reinterpret_cast<DEVMODEW*>(defaults.data());
    auto* out = reinterpret_cast<DEVMODEW*>(chosen.data());
    if (::DocumentPropertiesW(nullptr, printer.get(), queue_.data(), in, nullptr, DM_OUT_BUFFER) !=
        IDOK) {
      problem = L"DocumentPropertiesW failed";
      return std::nullopt;
    }
    in->dmCopies = copies_;
    in->dmOrientation = orientation_ == kLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    in->dmFields |= DM_COPIES | DM_ORIENTATION;
    if (::DocumentPropertiesW(nullptr, printer.get(), queue_.data(), out, in,
                              DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK) {
      problem = L"DocumentPropertiesW refused the copies and orientation";
      return std::nullopt;
    }
    return Win32PrintDialog::Accept(printer_, queue_, std::move(chosen));
  }

  int shown = 0;
  Hwnd owner{};
  std::int32_t flags = 0;
  std::wstring problem;

 private:
  Win32Printer& printer_;
  std::wstring queue_;
  short copies_;
  short orientation_;
};

// The Windows backend with the print dialog replaced and message boxes recorded, not shown.
class ProbeBackend final : public Backend {
 public:
  ProbeBackend(win32::Win32Backend& windows, std::wstring queue, short copies, short orientation)
      : chooser(dynamic_cast<Win32Printer&>(windows.CurrentPrinter()), std::move(queue), copies,
                orientation),
        windows_(windows) {}

  std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) override {
    return windows_.CreatePeer(form, def);
  }
  int ShowMessageBox(Hwnd, const std::u16string& prompt, int, const std::u16string&) override {
    messages.push_back(prompt);
    return kIdOk;
  }
  void Beep() override {}
  const Clock& GetClock() const override { return windows_.GetClock(); }
  OsApi& Os() override { return windows_.Os(); }
  Printer& CurrentPrinter() override { return windows_.CurrentPrinter(); }
  PrintDialogService& PrintDialog() override { return chooser; }
  std::u16string AppPath() const override { return windows_.AppPath(); }
  bool PrevInstance() override { return false; }
  float TwipsPerPixelX() const override { return windows_.TwipsPerPixelX(); }
  void Quit() override { windows_.Quit(); }

  QueueChooser chooser;
  std::vector<std::u16string> messages;

 private:
  win32::Win32Backend& windows_;
};

int List() {
  for (const auto& name : PrinterNames()) WriteUtf8(name);
  return 0;
}

int Print(const std::wstring& queue, bool ticked, short copies, short orientation) {
  win32::Win32Backend windows(::GetModuleHandleW(nullptr));
  ProbeBackend backend(windows, queue, copies, orientation);
  Runtime rt(backend);
  rt.Module<Module1>().SharedMemo = u"明日の会議は中止\r\n資料は来週配布します";
  rt.RunEvent([&] { rt.Show<Dialog_Printer>(); });
  auto* dialog = rt.IfLoaded<Dialog_Printer>();
  if (!dialog) {
    WriteUtf8(L"FAIL: Dialog_Printer did not open");
    return 1;
  }
  rt.RunEvent([&] {
    if (ticked) {
      dialog->Check1.SetValue(1);
      dialog->Check1_Click();
      dialog->Text2.SetText(u"10時20分");
      dialog->Text3.SetText(u"山田");
      dialog->Combo1.SetListIndex(0);
      dialog->Text4.SetText(u"佐藤");
    }
    dialog->OKButton_Click();
  });

  auto& printer = dynamic_cast<Win32Printer&>(windows.CurrentPrinter());
  wchar_t line[160];
  std::swprintf(line, 160, L"dialog: shown %d, flags 0x%X, owned by the dialog: %ls",
                backend.chooser.shown, static_cast<unsigned>(backend.chooser.flags),
                backend.chooser.owner == dialog->hWnd() ? L"yes" : L"no");
  WriteUtf8(line);
  int failures = 0;
  if (!backend.chooser.problem.empty()) {
    WriteUtf8(L"FAIL: " + backend.chooser.problem);
    ++failures;
  }
  for (const auto& message : backend.messages) {
    WriteUtf8(L"FAIL: message: " + std::wstring(message.begin(), message.end()));
    ++failures;
  }
  try {
    std::vector<std::byte> mode = printer.JobDeviceMode();
    if (mode.size() >= sizeof(DEVMODEW)) {
      const auto* dm = reinterpret_cast<const DEVMODEW*>(mode.data());
      const std::wstring name = printer.PrinterName();
      const DWORD driverCopies =
          ::DeviceCapabilitiesW(name.c_str(), nullptr, DC_COPIES, nullptr, dm);
      std::swprintf(line, 160, L"job: printer %ls, copies %d, orientation %d, driver copies %ld",
                    name.c_str(), dm->dmCopies, dm->dmOrientation, static_cast<long>(driverCopies));
      WriteUtf8(line);
    }
  } catch (const RuntimeError&) {
    WriteUtf8(L"FAIL: the chosen printer cannot be opened");
    ++failures;
  }
  rt.RunEvent([&] { rt.Unload<Dialog_Printer>(); });
  return failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  if (command == L"list" && argc == 2) return List();
  if (command == L"print" && argc == 6) {
    const std::wstring_view page = argv[3], orientation = argv[5];
    const int copies = _wtoi(argv[4]);
    if ((page == L"ticked" || page == L"cleared") && copies >= 1 && copies <= 99 &&
        (orientation == L"portrait" || orientation == L"landscape")) {
      return Print(argv[2], page == L"ticked", static_cast<short>(copies),
                   orientation == L"landscape" ? kLandscape : kPortrait);
    }
  }
  std::fputs(
      "usage: print_probe list\n"
      "       print_probe print QUEUE ticked|cleared COPIES portrait|landscape\n",
      stderr);
  return 2;
}
