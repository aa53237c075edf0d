// Window procedures: a procedure put in front of a window sees every message first and hands
// it on; the runtime's own procedure at the end of the chain turns mouse presses into
// Form_MouseDown in twips.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "headless_fixture.h"
#include "platform/form.h"

namespace pindle::platform {
namespace {

using ::testing::ElementsAre;

const FormDef& HostDef() {
  static const FormDef def{.name = u"frmHost", .caption = u"host"};
  return def;
}

struct Press {
  int button, shift;
  float x, y;
  friend bool operator==(const Press&, const Press&) = default;
};

class HostForm : public Form {
 public:
  explicit HostForm(Runtime& rt) : Form(rt, HostDef()) {}
  void Form_MouseDown(int button, int shift, float x, float y) override {
    presses.push_back({button, shift, x, y});
  }
  std::vector<Press> presses;
};

using Seen = std::tuple<Hwnd, std::uint32_t, WParam, LParam>;
std::vector<Seen> g_seen;
std::intptr_t g_prev = 0;
LResult g_override = 0;

LResult PINDLE_CALLBACK Spy(Hwnd h, std::uint32_t m, WParam w, LParam l) {
  g_seen.emplace_back(h, m, w, l);
  const LResult r = Runtime::Current().Os().CallWindowProcA(g_prev, h, m, w, l);
  return g_override ? g_override : r;
}

LResult PINDLE_CALLBACK Answer42(Hwnd, std::uint32_t, WParam, LParam) {
  return 42;
}

class ProcedureChainTest : public testing::HeadlessTest {
 protected:
  ProcedureChainTest() {
    g_seen.clear();
    g_prev = 0;
    g_override = 0;
  }
};

TEST_F(ProcedureChainTest, MiddleButtonMessageCarriesItsLowWordAsXInTwips) {
  HostForm& f = rt.Instance<HostForm>();
  backend.twipsPerPixel = 12.0f;
  backend.Machine().SendMessage(f.hWnd(), msg::kMButtonDown, 1, 516);
  backend.twipsPerPixel = 15.0f;
  backend.Machine().SendMessage(f.hWnd(), msg::kMButtonDown, 1, 0x7FFF0000 | 513);
  backend.Machine().SendMessage(f.hWnd(), msg::kMouseMove, 0, 513);  // not a press: nothing
  EXPECT_THAT(f.presses,
              ElementsAre(Press{4, 0, 6192.0f, 0.0f}, Press{4, 0, 7695.0f, 0x7FFF * 15.0f}));
}

TEST_F(ProcedureChainTest, SurfacePressesGiveButtonAndShift) {
  HostForm& f = rt.Instance<HostForm>();
  backend.Machine().SendMessage(f.hWnd(), msg::kLButtonDown, 0x4 | 0x8, (2 << 16) | 3);
  backend.Machine().SendMessage(f.hWnd(), msg::kRButtonDown, 0, 0);
  EXPECT_THAT(f.presses, ElementsAre(Press{1, 3, 45.0f, 30.0f}, Press{2, 0, 0.0f, 0.0f}));
}

TEST_F(ProcedureChainTest, AProcedureInFrontSeesEveryMessageAndPassesItOnUnchanged) {
  HostForm& f = rt.Instance<HostForm>();
  OsApi& os = rt.Os();
  g_prev = os.SetWindowLongA(f.hWnd(), kGwlWndProc, ProcAddress(&Spy));
  ASSERT_EQ(g_prev, ProcAddress(&RuntimeWindowProc)) << "the runtime's procedure was in place";

  backend.Machine().PostMessage(f.hWnd(), msg::kMButtonDown, 1, 515);
  backend.Machine().PostMessage(f.hWnd(), msg::kHotKey, static_cast<WParam>(-16219), 0x700001);
  backend.PumpMessages();
  EXPECT_THAT(g_seen,
              ElementsAre(Seen{f.hWnd(), msg::kMButtonDown, 1, 515},
                          Seen{f.hWnd(), msg::kHotKey, static_cast<WParam>(-16219), 0x700001}));
  ASSERT_EQ(f.presses.size(), 1u) << "the message went on to the runtime";
  EXPECT_EQ(f.presses[0].x, 515 * 15.0f);

  // The previous procedure's result comes back unchanged.
  g_prev = ProcAddress(&Answer42);
  EXPECT_EQ(backend.Machine().SendMessage(f.hWnd(), 0x1234, 5, 6), 42);

  // Putting the previous procedure back: the spy sees nothing more.
  g_seen.clear();
  EXPECT_EQ(os.SetWindowLongA(f.hWnd(), kGwlWndProc, ProcAddress(&RuntimeWindowProc)),
            ProcAddress(&Spy));
  backend.Machine().SendMessage(f.hWnd(), 0x1234, 0, 0);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(ProcedureChainTest, MessagesToAnUnloadedWindowAreDropped) {
  HostForm& f = rt.Instance<HostForm>();
  const Hwnd h = f.hWnd();
  backend.Machine().PostMessage(h, msg::kMButtonDown, 1, 513);
  rt.Unload<HostForm>();
  EXPECT_NO_THROW(backend.PumpMessages());
  EXPECT_EQ(rt.Os().SetWindowLongA(h, kGwlWndProc, ProcAddress(&Spy)), 0);
}

}  // namespace
}  // namespace pindle::platform
