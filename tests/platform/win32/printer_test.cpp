// The printer's document calls, recorded in place of a real printer's (a memory DC draws).
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "error_of.h"
#include "platform/text.h"
#include "platform/win32/win32_printer.h"

namespace pindle::testing {
namespace {

using platform::win32::Win32Printer;
using ::testing::ElementsAreArray;

std::vector<std::string> calls;
std::string failing;
int failAt = 0;
DWORD failError = 0;  // the last error a failing call leaves
struct Drawn {
  int y;
  std::wstring text, face;
  LONG height;
  BYTE charset;
};
std::vector<Drawn> drawn;  // each line as drawn, with the font selected then

int Record(const char* call) {
  calls.push_back(call);
  const bool fails = failing == call && --failAt <= 0;
  if (fails) ::SetLastError(failError);
  return fails ? 0 : 1;
}
constexpr platform::win32::DocumentCalls kRecorded{
    [](HDC, const DOCINFOW*) { return Record("StartDoc"); },
    [](HDC) { return Record("StartPage"); },
    [](HDC) { return Record("EndPage"); },
    [](HDC) { return Record("EndDoc"); },
    [](HDC) { return Record("AbortDoc"); },
    [](HDC dc, int, int y, LPCWSTR text, int length) {
      LOGFONTW font{};
      ::GetObjectW(::GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
      drawn.push_back({y, std::wstring(text, static_cast<std::size_t>(length)), font.lfFaceName,
                       font.lfHeight, font.lfCharSet});
      return static_cast<BOOL>(Record("text"));
    }};

// The document calls in order, one failing from its n-th use on.  A page that prints has its
// lines, an empty one too, one step apart in the Japanese fixed-pitch font at the size set, as a
// character height for this device.
TEST(Win32PrinterTest, AFailingCallStopsTheDocumentWithPrinterErrorAndNothingIsLeftOpen) {
  std::u16string tall = u"1";  // 150 lines: more than a page
  for (int i = 2; i <= 150; ++i) tall += u"\r\n" + platform::DecimalText(i);
  const std::vector<std::string> onePage = {"StartDoc", "StartPage", "text",  "text",
                                            "text",     "EndPage",   "EndDoc"};
  const float size = std::bit_cast<float>(0x41490FD8u);  // 12.566371 points
  struct Case {
    const char* failing;
    int at;
    std::u16string text;
    int raised;
    std::vector<std::string> first, last;  // the calls made, from the start and to the end
    bool ended = true;                     // EndDoc called before the printer goes
    DWORD error = ERROR_GEN_FAILURE;
  } cases[] = {
      {"", 0, u"一行目\r\n\r\n三行目", 0, onePage, onePage},
      // A document that never started is not ended.
      {"StartDoc", 1, u"一行目", 482, {"StartDoc"}, {"StartDoc"}},
      // The user cancelled the file name box of Microsoft Print to PDF: as the print dialog's.
      {"StartDoc", 1, u"一行目", 32755, {"StartDoc"}, {"StartDoc"}, true, ERROR_CANCELLED},
      {"StartPage", 1, u"一行目", 482, {"StartDoc", "StartPage", "AbortDoc"}, {"AbortDoc"}},
      // A full first page is ended, the second never starts, and the document is sent.
      {"StartPage", 2, tall, 482, {"StartDoc", "StartPage"}, {"EndPage", "StartPage", "EndDoc"}},
      // A printer that goes with a document open aborts it.
      {"", 0, u"一行目", 0, {"StartDoc", "StartPage", "text", "AbortDoc"}, {"AbortDoc"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing + std::string(" failing at ") + std::to_string(c.at));
    calls.clear();
    drawn.clear();
    failing = c.failing;
    failAt = c.at;
    failError = c.error;
    HDC dc = ::CreateCompatibleDC(nullptr);
    {
      Win32Printer printer;
      printer.UseDeviceContext(dc, kRecorded);
      printer.SetFontSize(size);
      EXPECT_EQ(ErrorOf([&] { printer.Print(c.text); }), c.raised);
      for (int i = 0; c.ended && i < 2; ++i) printer.EndDoc();
    }
    const LONG height = -std::lround(size * float(::GetDeviceCaps(dc, LOGPIXELSY)) / 72);
    ::DeleteDC(dc);
    ASSERT_GE(calls.size(), std::max(c.first.size(), c.last.size()));
    EXPECT_THAT(std::vector(calls.begin(), calls.begin() + c.first.size()),
                ElementsAreArray(c.first));
    EXPECT_THAT(std::vector(calls.end() - c.last.size(), calls.end()), ElementsAreArray(c.last));
    for (const Drawn& d : drawn)
      EXPECT_EQ(std::tuple(d.face, d.charset, d.height),
                std::tuple(L"ＭＳ ゴシック", BYTE{SHIFTJIS_CHARSET}, height));
    if (c.first == onePage) {
      EXPECT_EQ(drawn[1].text, L"");
      EXPECT_GT(drawn[1].y - drawn[0].y, 0);
      EXPECT_EQ(drawn[2].y - drawn[1].y, drawn[1].y - drawn[0].y);
    }
  }
}

// A real spooler, not recorded calls: a printer whose name it does not know; and a spooler that
// does not load or lacks the calls, with a printer chosen or the default one.
TEST(Win32PrinterTest, APrinterThatDoesNotExistRaisesPrinterErrorAtEveryPrint) {
  constexpr const wchar_t* kUnknown = L"Pindle 存在しないプリンタ";
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {{nullptr, kUnknown},
                                                             {L"pindle-none.drv", kUnknown},
                                                             {L"pindle-none.drv", L""},
                                                             {L"user32.dll", L""}};
  for (const auto& [spooler, name] : cases) {
    SCOPED_TRACE(::testing::Message() << (spooler ? spooler : L"winspool.drv") << " " << name);
    Win32Printer printer;
    if (spooler) printer.UseSpooler(spooler);
    printer.Choose(name, {});
    printer.SetCopies(2);
    printer.SetOrientation(platform::kLandscape);
    for (int attempt = 1; attempt <= 2; ++attempt) {
      EXPECT_EQ(ErrorOf([&] { printer.Print(u"　"); }), 482) << "attempt " << attempt;
      EXPECT_NO_THROW(printer.EndDoc()) << "nothing is open";
    }
  }
}

}  // namespace
}  // namespace pindle::testing
