#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Context.h"
#include "LanguageChoice.h"

namespace {

// A program folder holding some modules; remembers what was asked for.
struct Installed {
  std::set<std::string> modules;
  std::vector<std::string> asked;

  LanguageChoice Choose(uint16_t userLanguageId) {
    return ChooseLanguageModule(userLanguageId, [this](const std::string& name) -> void* {
      asked.push_back(name);
      return modules.count(name) != 0 ? const_cast<std::string*>(&*modules.find(name)) : nullptr;
    });
  }
};

int32_t HelpNumberAfterStart(int32_t loadedNumber) {
  Context context;
  StartupFacts facts;
  facts.executablePath = "C:\\Tools\\Vantrel.exe";
  facts.languageNumber = loadedNumber;
  FillContext(context, facts);
  EXPECT_EQ(context.HelpFile.str(), HelpFileFor(facts.executablePath, loadedNumber));
  return context.languageNumber;
}

}  // namespace

TEST(LanguageChoice, EnglishIsTriedOnceAndAfterTheUsersOwn) {
  EXPECT_EQ(LanguageNumbersToTry(0x0409), std::vector<int32_t>({1033}));
  EXPECT_EQ(LanguageNumbersToTry(0x0809), std::vector<int32_t>({1033}));
  EXPECT_EQ(LanguageNumbersToTry(0x0C07), std::vector<int32_t>({1031, 1033}));
  EXPECT_EQ(LanguageNumbersToTry(0x040C), std::vector<int32_t>({1036, 1033}));
}

TEST(LanguageChoice, TheUsersOwnModuleWins) {
  Installed folder{{"1033.DLL", "1031.DLL"}, {}};
  LanguageChoice choice = folder.Choose(0x0C07);  // German (Austria)
  ASSERT_NE(choice.module, nullptr);
  EXPECT_EQ(*static_cast<std::string*>(choice.module), "1031.DLL");
  EXPECT_EQ(choice.number, 1031);
  EXPECT_EQ(folder.asked, std::vector<std::string>({"1031.DLL"}));
  EXPECT_EQ(HelpNumberAfterStart(choice.number), 1031);
}

TEST(LanguageChoice, ALanguageWithoutModuleFallsBackToEnglish) {
  Installed folder{{"1033.DLL", "1031.DLL"}, {}};
  LanguageChoice choice = folder.Choose(0x040C);  // French (France)
  ASSERT_NE(choice.module, nullptr);
  EXPECT_EQ(*static_cast<std::string*>(choice.module), "1033.DLL");
  EXPECT_EQ(choice.number, 1033);
  EXPECT_EQ(choice.wantedName, "1036.DLL");
  EXPECT_EQ(folder.asked, std::vector<std::string>({"1036.DLL", "1033.DLL"}));
  // The help file follows the module that runs, not the user's language.
  EXPECT_EQ(HelpNumberAfterStart(choice.number), 1033);
}

TEST(LanguageChoice, WithoutAnyModuleNothingIsChosen) {
  Installed german{{"1031.DLL"}, {}};
  LanguageChoice choice = german.Choose(0x040C);
  EXPECT_EQ(choice.module, nullptr);
  EXPECT_EQ(choice.number, 0);
  EXPECT_EQ(choice.wantedName, "1036.DLL");

  Installed empty;
  choice = empty.Choose(0x0409);
  EXPECT_EQ(choice.module, nullptr);
  EXPECT_EQ(choice.wantedName, "1033.DLL");
  EXPECT_EQ(empty.asked, std::vector<std::string>({"1033.DLL"}));
}
