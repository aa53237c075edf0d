// The page as lines, without a printer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "print/phone_message_page.h"

namespace pindle {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

const std::u16string kBlank = u"\u3000";
const std::u16string kRuleOf65(65, u'-');

PhoneMessageFields Example() {
  return {.phoneMessage = true,
          .time = u"10時20分",
          .caller = u"山田",
          .callBack = u"折り返し電話下さいとのこと",
          .taker = u"佐藤",
          .memo = u"明日の会議は中止"};
}

TEST(PhoneMessagePageTest, TickedPageReadsLineForLine) {
  EXPECT_THAT(PhoneMessagePage(Example()),
              ElementsAre(kBlank, kRuleOf65, u"10時20分　頃、　山田様より電話連絡あり。",
                          u"折り返し電話下さいとのこと", kBlank, u"佐藤受け", kBlank, kRuleOf65,
                          kBlank, u"明日の会議は中止", kBlank, kRuleOf65));
}

TEST(PhoneMessagePageTest, TheConstantsAreExactlyTheseCharacters) {
  EXPECT_EQ(kBlankLine, u"\u3000");
  EXPECT_EQ(kRule.size(), 65u);
  EXPECT_EQ(kRule.find_first_not_of(u'-'), std::u16string_view::npos);
  EXPECT_EQ(kAfterTime, u"\u3000\u9803\u3001\u3000");
  EXPECT_EQ(kAfterCaller.back(), u'\u3002');
}

TEST(PhoneMessagePageTest, ClearedSwitchLeavesOnlyTheSixMemoLinesWhateverTheFieldsHold) {
  auto fields = Example();
  fields.phoneMessage = false;
  EXPECT_THAT(PhoneMessagePage(fields),
              ElementsAre(kBlank, kRuleOf65, kBlank, u"明日の会議は中止", kBlank, kRuleOf65));
}

TEST(PhoneMessagePageTest, MissingPartsLeaveTheirPlaceEmptyAndTheLinesStayInPlace) {
  auto fields = Example();
  fields.callBack.clear();
  fields.caller.clear();
  fields.taker.clear();
  fields.memo.clear();
  const auto lines = PhoneMessagePage(fields);
  ASSERT_THAT(lines, SizeIs(12));
  EXPECT_EQ(lines[2], u"10時20分　頃、　様より電話連絡あり。");
  EXPECT_EQ(lines[3], u"") << "no entry chosen: an empty line, not a blank one";
  EXPECT_EQ(lines[4], kBlank);
  EXPECT_EQ(lines[5], u"受け");
  EXPECT_EQ(lines[9], u"") << "an empty memo stays empty, not U+3000";
  EXPECT_EQ(lines[11], kRuleOf65);

  fields.phoneMessage = false;
  EXPECT_THAT(PhoneMessagePage(fields),
              ElementsAre(kBlank, kRuleOf65, kBlank, u"", kBlank, kRuleOf65));
}

TEST(PhoneMessagePageTest, MultiLineMemoStaysOneLineOfTheList) {
  auto fields = Example();
  fields.memo = u"一行目\r\n二行目\r\n";
  const auto lines = PhoneMessagePage(fields);
  ASSERT_THAT(lines, SizeIs(12));
  EXPECT_EQ(lines[9], u"一行目\r\n二行目\r\n");
}

TEST(PhoneMessagePageTest, TimeTextIsPrintedAsGivenNotRecomputed) {
  auto fields = Example();
  fields.time = u"午後3時ごろ";
  EXPECT_EQ(PhoneMessagePage(fields)[2], u"午後3時ごろ　頃、　山田様より電話連絡あり。");
}

}  // namespace
}  // namespace pindle
