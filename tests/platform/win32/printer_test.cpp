// The printer's GDI drawing: the page is drawn on an enhanced-metafile DC in place of a
// printer's, with the document calls (StartDoc, StartPage, EndPage, EndDoc, AbortDoc) marked
// in the metafile as GDI comments; the records read back give the text of every text-out, where
// it stands and where each page begins and ends.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/win32_printer.h"
#include "print/phone_message_page.h"
#include "screen_dc.h"

namespace pindle::testing {
namespace {

using platform::RuntimeError;
using platform::win32::DocumentCalls;
using platform::win32::Win32Printer;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// The font size the program sets: the single-precision value with bits 0x41490FD8.
const float kFontSize = std::bit_cast<float>(0x41490FD8u);
const std::u16string kBlank = u"\u3000";

// The document calls, each leaving a comment "pindle:<call>" in the metafile.  A call named in
// failingCall fails (returns 0) from its failAt-th use on (counted from 1).
const char* failingCall = "";
int failAt = 0;
int uses = 0;

int Mark(HDC dc, const char* call) {
  const std::string text = std::string("pindle:") + call;
  ::GdiComment(dc, static_cast<UINT>(text.size()), reinterpret_cast<const BYTE*>(text.data()));
  if (std::strcmp(call, failingCall) == 0 && ++uses >= failAt) return 0;
  return 1;
}
int WINAPI MarkStartDoc(HDC dc, const DOCINFOW*) {
  return Mark(dc, "StartDoc");
}
int WINAPI MarkStartPage(HDC dc) {
  return Mark(dc, "StartPage");
}
int WINAPI MarkEndPage(HDC dc) {
  return Mark(dc, "EndPage");
}
int WINAPI MarkEndDoc(HDC dc) {
  return Mark(dc, "EndDoc");
}
int WINAPI MarkAbortDoc(HDC dc) {
  return Mark(dc, "AbortDoc");
}
constexpr DocumentCalls kMarkingCalls{MarkStartDoc, MarkStartPage, MarkEndPage, MarkEndDoc,
                                      MarkAbortDoc};

// One record of interest: a document call, a text-out, or the font created for it.
struct Record {
  enum Kind { kCall, kText, kFont } kind;
  std::u16string text;  // the call's name, the text drawn, or the font's face name
  int x = 0, y = 0;     // where the text starts
  int fontHeight = 0;
  int fontCharset = 0;
};

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
  auto& records = *reinterpret_cast<std::vector<Record>*>(param);
  const auto* bytes = reinterpret_cast<const char*>(record);
  switch (record->iType) {
    case EMR_GDICOMMENT: {
      const auto* comment = reinterpret_cast<const EMRGDICOMMENT*>(record);
      const std::string_view data(reinterpret_cast<const char*>(comment->Data), comment->cbData);
      if (data.starts_with("pindle:")) {
        const std::string_view call = data.substr(7);
        records.push_back({Record::kCall, std::u16string(call.begin(), call.end())});
      }
      break;
    }
    case EMR_EXTTEXTOUTW: {
      const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
      std::u16string text(out->emrtext.nChars, u'\0');
      std::memcpy(text.data(), bytes + out->emrtext.offString, text.size() * sizeof(char16_t));
      records.push_back({Record::kText, text, static_cast<int>(out->emrtext.ptlReference.x),
                         static_cast<int>(out->emrtext.ptlReference.y)});
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      const auto* font = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(record);
      const auto* face = reinterpret_cast<const char16_t*>(font->elfw.elfLogFont.lfFaceName);
      Record r{Record::kFont, std::u16string(face)};
      r.fontHeight = static_cast<int>(font->elfw.elfLogFont.lfHeight);
      r.fontCharset = font->elfw.elfLogFont.lfCharSet;
      records.push_back(r);
      break;
    }
    default:
      break;
  }
  return 1;
}

// An enhanced metafile being recorded; Records() ends the recording and reads it back.
class Recording {
 public:
  Recording() : dc_(::CreateEnhMetaFileW(screen_.get(), nullptr, nullptr, nullptr)) {}
  ~Recording() {
    if (dc_) ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc_));
  }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  HDC dc() const { return dc_; }
  int PageHeight() const { return ::GetDeviceCaps(dc_, VERTRES); }
  int DpiY() const { return ::GetDeviceCaps(dc_, LOGPIXELSY); }

  std::vector<Record> Records() {
    std::vector<Record> records;
    HENHMETAFILE metafile = ::CloseEnhMetaFile(dc_);
    dc_ = nullptr;
    if (!metafile) return records;
    ::EnumEnhMetaFile(nullptr, metafile, Collect, &records, nullptr);
    ::DeleteEnhMetaFile(metafile);
    return records;
  }

 private:
  ScreenDc screen_;
  HDC dc_;
};

// The document calls and text-outs in order, a text-out shown as "text".
std::vector<std::u16string> Sequence(const std::vector<Record>& records) {
  std::vector<std::u16string> sequence;
  for (const auto& r : records) {
    if (r.kind == Record::kCall) sequence.push_back(r.text);
    if (r.kind == Record::kText) sequence.push_back(u"text");
  }
  return sequence;
}

// The text-outs page by page, as the StartPage and EndPage calls enclose them.
std::vector<std::vector<Record>> Pages(const std::vector<Record>& records) {
  std::vector<std::vector<Record>> pages;
  bool inPage = false;
  for (const auto& r : records) {
    if (r.kind == Record::kCall && r.text == u"StartPage") {
      pages.emplace_back();
      inPage = true;
    } else if (r.kind == Record::kCall && r.text == u"EndPage") {
      inPage = false;
    } else if (r.kind == Record::kText) {
      EXPECT_TRUE(inPage) << "text drawn outside a page";
      if (!pages.empty()) pages.back().push_back(r);
    }
  }
  return pages;
}

std::u16string Digits(int n) {
  const std::string digits = std::to_string(n);
  return {digits.begin(), digits.end()};
}

std::vector<std::u16string> NonEmpty(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> kept;
  for (const auto& line : lines)
    if (!line.empty()) kept.push_back(line);
  return kept;
}

PhoneMessageFields Ticked() {
  return {.phoneMessage = true,
          .time = u"10時20分",
          .caller = u"山田",
          .callBack = u"折り返し電話下さいとのこと",
          .taker = u"佐藤",
          .memo = u"明日の会議は中止"};
}

class PrinterGdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    failingCall = "";
    failAt = 0;
    uses = 0;
    printer.UseDeviceContext(page.dc(), kMarkingCalls);
  }

  // The program's settings, in its order, then the page one Print a line, then EndDoc twice
  // (once at the end of the page, once more after it).
  void PrintPage(const std::vector<std::u16string>& lines) {
    printer.SetScaleMode(platform::kScaleTwips);
    printer.SetCopies(1);
    printer.SetOrientation(platform::kPortrait);
    printer.SetCurrentX(2.0f);
    printer.SetFontSize(kFontSize);
    for (const auto& line : lines) printer.Print(line);
    printer.EndDoc();
    printer.EndDoc();
  }

  // The line spacing: the step from one text-out to the next on the same page.
  static int LineStep(const std::vector<Record>& pageTexts) {
    return pageTexts.size() < 2 ? 0 : pageTexts[1].y - pageTexts[0].y;
  }

  Recording page;
  Win32Printer printer;
};

TEST_F(PrinterGdiTest, TextIsDrawnInTheJapaneseFixedPitchFontAtTheSizeSetForThisDevice) {
  const int dpi = page.DpiY();
  PrintPage(PhoneMessagePage(Ticked()));
  std::vector<Record> fonts;
  for (const auto& r : page.Records())
    if (r.kind == Record::kFont) fonts.push_back(r);
  ASSERT_THAT(fonts, SizeIs(1)) << "one font for the whole document";
  EXPECT_EQ(fonts[0].text, u"ＭＳ ゴシック");
  EXPECT_EQ(fonts[0].fontCharset, SHIFTJIS_CHARSET);
  EXPECT_EQ(fonts[0].fontHeight,
            -static_cast<int>(std::lround(kFontSize * static_cast<float>(dpi) / 72.0f)))
      << "12.566368 points at " << dpi << " dpi, as a character height";
}

TEST_F(PrinterGdiTest, AnEmptyLineDrawsNothingButKeepsItsPlace) {
  auto fields = Ticked();
  fields.callBack.clear();  // line 4
  const auto lines = PhoneMessagePage(fields);
  PrintPage(lines);
  const auto pages = Pages(page.Records());
  ASSERT_THAT(pages, SizeIs(1));
  const auto& texts = pages[0];
  ASSERT_THAT(texts, SizeIs(NonEmpty(lines).size()));
  EXPECT_EQ(texts[2].text, u"10時20分　頃、　山田様より電話連絡あり。");
  EXPECT_EQ(texts[3].text, kBlank);
  const int step = LineStep(texts);
  EXPECT_EQ(texts[3].y - texts[2].y, 2 * step) << "the empty line 4 lies between";
  EXPECT_EQ(texts[4].y - texts[3].y, step);
}

TEST_F(PrinterGdiTest, DocumentThatCannotStartRaisesPrinterErrorAndLeavesNothingOpen) {
  failingCall = "StartDoc";
  failAt = 1;
  try {
    printer.Print(u"一行目");
    ADD_FAILURE() << "Print did not raise";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), 482);
  }
  printer.EndDoc();
  EXPECT_THAT(Sequence(page.Records()), ElementsAre(u"StartDoc"))
      << "no page, no text, and no EndDoc for a document that never started";
}

TEST_F(PrinterGdiTest, FirstPageThatCannotStartAbortsTheDocument) {
  failingCall = "StartPage";
  failAt = 1;
  EXPECT_THROW(printer.Print(u"一行目"), RuntimeError);
  printer.EndDoc();
  EXPECT_THAT(Sequence(page.Records()), ElementsAre(u"StartDoc", u"StartPage", u"AbortDoc"));
}

TEST_F(PrinterGdiTest, PrinterFailingAtANewPageStopsThereAndEndDocReleasesTheLinesSoFar) {
  failingCall = "StartPage";
  failAt = 2;
  std::u16string memo = u"1";
  for (int i = 2; i <= 150; ++i) memo += u"\r\n" + Digits(i);
  int raised = 0;
  try {
    printer.Print(memo);
  } catch (const RuntimeError& e) {
    raised = e.Number();
  }
  EXPECT_EQ(raised, 482);
  printer.EndDoc();
  printer.EndDoc();
  const auto sequence = Sequence(page.Records());
  ASSERT_GE(sequence.size(), 5u);
  EXPECT_EQ(sequence[0], u"StartDoc");
  EXPECT_EQ(sequence[1], u"StartPage");
  EXPECT_THAT(std::vector<std::u16string>(sequence.end() - 3, sequence.end()),
              ElementsAre(u"EndPage", u"StartPage", u"EndDoc"))
      << "the full first page is ended, the second never starts, the document is sent";
}

TEST_F(PrinterGdiTest, PrinterGoneWithADocumentOpenAbortsIt) {
  {
    Win32Printer leftOpen;
    leftOpen.UseDeviceContext(page.dc(), kMarkingCalls);
    leftOpen.Print(u"一行目");
  }
  EXPECT_THAT(Sequence(page.Records()),
              ElementsAre(u"StartDoc", u"StartPage", u"text", u"AbortDoc"));
}

// A real printer, not a metafile: one whose name no spooler knows.
TEST(PrinterSpoolerTest, PrinterThatDoesNotExistRaisesPrinterErrorAtTheFirstPrint) {
  Win32Printer printer;
  printer.Choose(L"Pindle 存在しないプリンタ", {});
  printer.SetCopies(2);
  printer.SetOrientation(platform::kLandscape);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    int raised = 0;
    try {
      printer.Print(u"　");
    } catch (const RuntimeError& e) {
      raised = e.Number();
    }
    EXPECT_EQ(raised, 482) << "attempt " << attempt;
    EXPECT_NO_THROW(printer.EndDoc()) << "nothing is open";
  }
}

}  // namespace
}  // namespace pindle::testing
