// A save of a large memo killed at random moments: memo.txt always holds the old bytes or the
// new ones, whole.  PINDLE_CRASH_KILLS sets the number of kills (1000); PINDLE_CRASH_SEED
// repeats the moments of a printed run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "platform/text_file.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using Entries = std::vector<std::string>;

long EnvOr(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value ? std::strtol(value, nullptr, 10) : fallback;
}

TEST(CrashSaveTest, KilledSaveLeavesTheOldOrTheNewFileWholeAndNoTemporaryFile) {
  const long kills = EnvOr("PINDLE_CRASH_KILLS", 1000);
  const auto seed = static_cast<unsigned>(EnvOr("PINDLE_CRASH_SEED", std::random_device{}()));
  std::mt19937 random(seed);
  testing::TempDir dir;
  const std::u16string memo = dir.U16("memo.txt");
  auto read = [&](const char* name) { return ReadFileIfExists(dir.U16(name)).value_or(""); };
  std::string versions[2];
  for (int i = 0; i < 40000; ++i) {  // numbered lines of 日本語のメモ, about 1 MB
    versions[i % 2] += std::to_string(i) + "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x81\x83\x82\r\n";
  }
  // The kills spread over the time a whole save takes in a child.
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 4; ++i)
    testing::ChildProcess([&] { return (ReplaceFileContents(memo, versions[i % 2]), 0); });
  const long span = (std::chrono::steady_clock::now() - start) / std::chrono::microseconds(4);

  int current = 1;  // memo.txt holds versions[current]
  long killed = 0, keptOld = 0, cutBeforeRename = 0;
  for (long attempt = 0; killed < kills && attempt < 10 * kills; ++attempt) {
    const int next = 1 - current;
    testing::ChildProcess child([&] { return (ReplaceFileContents(memo, versions[next]), 0); });
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<long>(0, span * 3 / 4)(random)));
    child.Kill();
    const int status = child.Wait();
    ASSERT_TRUE(status == 0 || status == -SIGKILL) << "the save failed: " << status;
    killed += status != 0;
    const std::string now = read("memo.txt");
    ASSERT_TRUE(now == versions[current] || now == versions[next])
        << "seed " << seed << ", kill " << killed << ": memo.txt is neither (" << now.size()
        << " bytes)";
    keptOld += now == versions[current];
    // Only a kill between the naming of the complete new file and the rename leaves it; the next
    // save removes it.
    const bool cut = dir.Entries() == Entries{"memo.txt", "memo.txt.pindle-save"} &&
                     now == versions[current] && read("memo.txt.pindle-save") == versions[next];
    ASSERT_TRUE(cut || dir.Entries() == Entries{"memo.txt"})
        << "seed " << seed << ", kill " << killed;
    cutBeforeRename += cut;
    current = now == versions[next] ? next : current;
  }
  ReplaceFileContents(memo, versions[0]);
  EXPECT_EQ(dir.Entries(), Entries{"memo.txt"});
  std::cout << "seed " << seed << ": " << killed << " kills over saves of " << span
            << " us: " << keptOld << " kept the old file, " << killed - keptOld
            << " had the new one, " << cutBeforeRename
            << " left the complete new file under its temporary name\n";
  EXPECT_EQ(killed, kills);
  EXPECT_GT(keptOld, 0);
  EXPECT_LT(keptOld, killed);
}

}  // namespace
}  // namespace pindle::platform
