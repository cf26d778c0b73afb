#include "DriverOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> arguments, DriverOptions& options, std::string& problem) {
  arguments.insert(arguments.begin(), "wizard-driver");
  return ParseDriverArguments(static_cast<int>(arguments.size()), arguments.data(), options, problem);
}

}  // namespace

TEST(DriverOptions, PathsAndTimeouts) {
  DriverOptions options;
  std::string problem;
  ASSERT_TRUE(Parse({"--run-timeout=90", "--program=C:\\v\\Vantrel.exe", "Z:\\card.img", "Z:\\out", "Z:\\shots",
                     "--copy-timeout=5", "--step-timeout=86400"},
                    options, problem))
      << problem;
  EXPECT_EQ(options.image, "Z:\\card.img");
  EXPECT_EQ(options.destination, "Z:\\out");
  EXPECT_EQ(options.shots, "Z:\\shots");
  EXPECT_EQ(options.program, "C:\\v\\Vantrel.exe");
  EXPECT_EQ(options.runTimeoutSeconds, 90u);
  EXPECT_EQ(options.copyTimeoutSeconds, 5u);
  EXPECT_EQ(options.stepTimeoutSeconds, 86400u);
}

TEST(DriverOptions, ShotsAreOptionalAndPathsMayLookLikeOptionsAfterTheEnd) {
  DriverOptions options;
  std::string problem;
  ASSERT_TRUE(Parse({"--", "--odd.img", "Z:\\out"}, options, problem)) << problem;
  EXPECT_EQ(options.image, "--odd.img");
  EXPECT_TRUE(options.shots.empty());
}

TEST(DriverOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<const char*>> refused = {
      {},
      {"Z:\\card.img"},
      {"a", "b", "c", "d"},
      {"", "Z:\\out"},
      {"--run-timeout=0", "a", "b"},
      {"--run-timeout=86401", "a", "b"},
      {"--run-timeout=4294967297", "a", "b"},
      {"--copy-timeout=10s", "a", "b"},
      {"--step-timeout=", "a", "b"},
      {"--step-timeout=-1", "a", "b"},
      {"--program=", "a", "b"},
      {"--verbose", "a", "b"},
  };
  for (const auto& arguments : refused) {
    DriverOptions options;
    std::string problem;
    EXPECT_FALSE(Parse(arguments, options, problem)) << (arguments.empty() ? "(none)" : arguments[0]);
    EXPECT_FALSE(problem.empty());
  }
}

TEST(DriverOptions, HelpNeedsNothingElse) {
  DriverOptions options;
  std::string problem;
  ASSERT_TRUE(Parse({"--help"}, options, problem));
  EXPECT_TRUE(options.help);
}
