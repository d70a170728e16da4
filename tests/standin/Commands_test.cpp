// The stand-in program's reading of action lines.
#include <gtest/gtest.h>

#include <stdexcept>

#include "script/Commands.h"

namespace ostrel::standin {
namespace {

TEST(StandinCommands, LinesBecomeActions) {
  const struct {
    const char* line;
    const char* verb;
    std::vector<std::string> args;
  } cases[] = {
      {"start", "start", {}},
      {"  click cmdNext  ", "click", {"cmdNext"}},
      {"click optButton(7)\r", "click", {"optButton(7)"}},
      {"type txtNote two  spaces\\sand\\ttab\\nline\\\\",
       "type",
       {"txtNote", "two  spaces and\ttab\nline\\"}},
      {"type txtNote ", "type", {"txtNote", ""}},
      {"type txtNote", "type", {"txtNote", ""}},
      {"select cmbGeneralCurrency 2", "select", {"cmbGeneralCurrency", "2"}},
      {"answer OK", "answer", {"OK"}},
      {"start inspector", "start", {"inspector"}},
      {"close-explorer 2", "close-explorer", {"2"}},
      {"fail CommandBars.Add", "fail", {"CommandBars.Add"}},
      {"clear-failures", "clear-failures", {}},
  };
  for (const auto& c : cases) {
    const auto command = ParseCommand(c.line);
    ASSERT_TRUE(command) << c.line;
    EXPECT_EQ(command->verb, c.verb) << c.line;
    EXPECT_EQ(command->args, c.args) << c.line;
  }
  EXPECT_FALSE(ParseCommand(""));
  EXPECT_FALSE(ParseCommand("   # a comment"));
}

TEST(StandinCommands, MalformedLinesAreRefusedWithAReason) {
  for (const char* line :
       {"click", "click a b", "select cmbX", "type", "fly away", "type txtA bad\\q",
        "type txtA end\\", "start none now", "close-inspector 1 2", "fail", "clear-failures all"})
    EXPECT_THROW(ParseCommand(line), std::invalid_argument) << line;
}

TEST(StandinCommands, ControlNamesWithAndWithoutIndex) {
  const auto array = ParseControlName("optButton(7)");
  ASSERT_TRUE(array);
  EXPECT_EQ(array->name, "optButton");
  EXPECT_EQ(array->index, 7);
  const auto single = ParseControlName("cmdNext");
  ASSERT_TRUE(single);
  EXPECT_EQ(single->index, -1);
  for (const char* bad : {"", "(3)", "opt(", "opt()", "opt(x)", "opt(3", "a-b", "opt(3)x"})
    EXPECT_FALSE(ParseControlName(bad)) << bad;
}

}  // namespace
}  // namespace ostrel::standin
