// A save killed at random moments: memo.txt always holds the old bytes or the new ones, whole,
// and no temporary file stays.  PINDLE_CRASH_KILLS sets the number of kills (1000), and
// PINDLE_CRASH_SEED the seed of the moments (printed, so a failing run can be repeated).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "platform/text_file.h"
#include "robust/child_process.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using Clock = std::chrono::steady_clock;
using testing::ChildProcess;

// A memo of `lines` numbered lines of Japanese text in code page 932, each ended by CR LF.
std::string LargeMemo(int lines, char mark) {
  std::string memo;
  for (int i = 0; i < lines; ++i) {
    memo += std::to_string(i) + mark + "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x81\x83\x82\r\n";
  }
  return memo;
}

std::string Contents(const testing::TempDir& dir, const std::string& name) {
  return ReadFileIfExists(dir.U16(name)).value_or("");
}

long EnvOr(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value ? std::strtol(value, nullptr, 10) : fallback;
}

TEST(CrashSaveTest, KilledSaveLeavesTheOldOrTheNewFileWholeAndNoTemporaryFile) {
  const long kills = EnvOr("PINDLE_CRASH_KILLS", 1000);
  const auto seed = static_cast<unsigned>(EnvOr("PINDLE_CRASH_SEED", std::random_device{}()));
  std::cout << "seed " << seed << " (PINDLE_CRASH_SEED)\n";
  std::mt19937 random(seed);
  testing::TempDir dir;
  const std::string versions[2] = {LargeMemo(40000, 'a'), LargeMemo(30000, 'b')};
  const std::u16string memo = dir.U16("memo.txt");
  ReplaceFileContents(memo, versions[0]);

  // How long a whole save takes in a child, so the kills spread over all of it.
  Clock::duration longest{};
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    ASSERT_EQ(ChildProcess([&] { return (ReplaceFileContents(memo, versions[i % 2]), 0); }).Wait(),
              0);
    longest = std::max(longest, Clock::now() - start);
  }
  ReplaceFileContents(memo, versions[0]);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(longest).count();

  int current = 0;  // which version memo.txt holds
  long killed = 0, keptOld = 0, leftComplete = 0;
  for (long attempt = 0; killed < kills && attempt < 3 * kills; ++attempt) {
    const int next = 1 - current;
    ChildProcess child([&] { return (ReplaceFileContents(memo, versions[next]), 0); });
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<long>(0, span)(random)));
    child.Kill();
    const int status = child.Wait();
    ASSERT_TRUE(status == 0 || status == -SIGKILL) << "the save failed: " << status;
    killed += status == -SIGKILL;

    const std::string now = Contents(dir, "memo.txt");
    ASSERT_TRUE(now == versions[current] || now == versions[next])
        << "kill " << killed << ": memo.txt is neither whole (" << now.size() << " bytes)";
    keptOld += now == versions[current] && status != 0;
    // A kill between the new file's naming and the rename leaves it, complete; the next save
    // removes it.
    const auto entries = dir.Entries();
    const bool cutBeforeRename =
        entries == std::vector<std::string>{"memo.txt", "memo.txt.pindle-save"} &&
        now == versions[current] && Contents(dir, "memo.txt.pindle-save") == versions[next];
    ASSERT_TRUE(entries == std::vector<std::string>{"memo.txt"} || cutBeforeRename)
        << "kill " << killed << ": " << entries.size() << " files in the folder";
    leftComplete += cutBeforeRename;
    if (now == versions[next]) current = next;
  }
  ReplaceFileContents(memo, versions[0]);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"});
  std::cout << killed << " kills over " << span << " us saves: " << keptOld
            << " kept the old file, " << killed - keptOld << " had the new one, " << leftComplete
            << " left the complete new file under its temporary name\n";
  EXPECT_EQ(killed, kills);
  EXPECT_GT(keptOld, 0);
  EXPECT_LT(keptOld, killed);
}

}  // namespace
}  // namespace pindle::platform
