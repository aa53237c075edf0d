// edit_fill_bench: how long a multi-line EDIT control takes to take a large memo, with the
// control set up as Pindle's quick memo box (Text1) is and with one thing changed at a time,
// and how long the text measurements behind it take on their own.
//
//   edit_fill_bench.exe MEMO-FILE [REPEATS [SET-UP...]]
//
// MEMO-FILE is memo.txt as Pindle reads it (code page 932, CR LF).  Prints "SET-UP: MEDIAN ms"
// per set-up (REPEATS runs each, default 3; every run on a fresh window):
//   as_pindle        hidden parent, MS Gothic 9 pt, EM_SETLIMITTEXT(0) first, word wrap
//   parent_visible   the same with the parent window shown first
//   redraw_off       WM_SETREDRAW FALSE around WM_SETTEXT
//   control_hidden   the control itself created hidden
//   limit_after      WM_SETTEXT before EM_SETLIMITTEXT(0) (the text is cut at 30,000
//                    characters, so this only shows what a default limit costs)
//   no_wrap          ES_AUTOHSCROLL: no word wrap, one line per line of the memo
//   system_font      no WM_SETFONT (the control's default font)
//   replace_sel      EM_REPLACESEL into the empty control instead of WM_SETTEXT
//   uniscribe_lines  no control: ScriptStringAnalyse of every line with the memo font, as
//                    Wine's EDIT control measures each line
//   extent_lines     no control: GetTextExtentPoint32W of every line with the memo font
// Also prints "lines: N" and "characters: N".
#include <usp10.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kParentClass[] = L"EditFillBenchParent";
// Text1 at 96 DPI: 7815 x 5415 twips.
constexpr int kBoxWidth = 7815 / 15;
constexpr int kBoxHeight = 5415 / 15;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HFONT MemoFont() {
  static HFONT font = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, L"ＭＳ ゴシック");
  return font;
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// One run of a set-up that fills a control: milliseconds the filling took.
double FillOnce(const std::string& setup, const std::wstring& text) {
  HWND parent = ::CreateWindowExW(0, kParentClass, L"edit_fill_bench", WS_POPUP, 0, 0, 800, 600,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (setup == "parent_visible") {
    ::ShowWindow(parent, SW_SHOWNA);
    ::UpdateWindow(parent);
  }
  DWORD style = WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (setup != "control_hidden") style |= WS_VISIBLE;
  if (setup == "no_wrap") style |= ES_AUTOHSCROLL;
  HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 10, 10, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)),
                                ::GetModuleHandleW(nullptr), nullptr);
  if (setup != "system_font")
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(MemoFont()), FALSE);
  if (setup != "limit_after") ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  ::MoveWindow(edit, 160, 40, kBoxWidth, kBoxHeight, FALSE);
  PumpMessages();

  const double start = Now();
  if (setup == "redraw_off") ::SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
  if (setup == "replace_sel") {
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  } else {
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (setup == "redraw_off") {
    ::SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(edit, nullptr, TRUE);
  }
  const double elapsed = Now() - start;
  if (setup == "limit_after") ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);

  const auto length = static_cast<std::size_t>(::GetWindowTextLengthW(edit));
  if (setup != "limit_after" && length != text.size()) {
    std::fprintf(stderr, "edit_fill_bench: %s: the control holds %zu of %zu characters\n",
                 setup.c_str(), length, text.size());
    std::exit(1);
  }
  ::DestroyWindow(parent);
  PumpMessages();
  return elapsed;
}

std::vector<std::wstring_view> Lines(const std::wstring& text) {
  std::vector<std::wstring_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(std::wstring_view(text).substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// One run of a set-up that measures every line without a control.
double MeasureOnce(const std::string& setup, const std::vector<std::wstring_view>& lines) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, MemoFont());
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  long long total = 0;
  const double start = Now();
  for (const auto& line : lines) {
    if (line.empty()) continue;
    const int n = static_cast<int>(line.size());
    if (setup == "uniscribe_lines") {
      SCRIPT_TABDEF tabs{0, tm.tmAveCharWidth, nullptr, 0};
      SCRIPT_STRING_ANALYSIS ssa = nullptr;
      if (SUCCEEDED(::ScriptStringAnalyse(dc, line.data(), n, static_cast<int>(1.5 * n + 16), -1,
                                          SSA_LINK | SSA_FALLBACK | SSA_GLYPHS | SSA_TAB, -1,
                                          nullptr, nullptr, nullptr, &tabs, nullptr, &ssa))) {
        total += ::ScriptString_pSize(ssa)->cx;
        ::ScriptStringFree(&ssa);
      }
    } else {
      SIZE size{};
      ::GetTextExtentPoint32W(dc, line.data(), n, &size);
      total += size.cx;
    }
  }
  const double elapsed = Now() - start;
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  if (total <= 0) {
    std::fprintf(stderr, "edit_fill_bench: %s measured nothing\n", setup.c_str());
    std::exit(1);
  }
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: edit_fill_bench MEMO-FILE [REPEATS [SET-UP...]]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.good() && !in.eof()) return 1;
  const int wide =
      ::MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), wide);
  const std::vector<std::wstring_view> lines = Lines(text);
  std::printf("characters: %zu\nlines: %zu\n", text.size(), lines.size());

  const int repeats = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  std::vector<std::string> setups;
  for (int i = 3; i < argc; ++i) {
    std::string name;
    for (const wchar_t* c = argv[i]; *c; ++c) name += static_cast<char>(*c);
    setups.push_back(name);
  }
  if (setups.empty()) {
    setups = {"as_pindle",   "parent_visible", "redraw_off",  "control_hidden",  "no_wrap",
              "system_font", "replace_sel",    "limit_after", "uniscribe_lines", "extent_lines"};
  }

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = kParentClass;
  ::RegisterClassExW(&wc);

  for (const std::string& setup : setups) {
    std::vector<double> samples;
    for (int i = 0; i < repeats; ++i) {
      const bool measure = setup == "uniscribe_lines" || setup == "extent_lines";
      samples.push_back(measure ? MeasureOnce(setup, lines) : FillOnce(setup, text));
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    std::printf("%s: %.1f ms\n", setup.c_str(), median);
    std::fflush(stdout);
  }
  return 0;
}
