#include <gtest/gtest.h>

#include <string>

#include "Context.h"

TEST(Context, LanguageNumberUsesTheDefaultSubLanguage) {
  EXPECT_EQ(LanguageNumberFor(0x0809), 1033);  // English (United Kingdom)
  EXPECT_EQ(LanguageNumberFor(0x0C07), 1031);  // German (Austria)
  EXPECT_EQ(LanguageNumberFor(0x040C), 1036);  // French (France)
  EXPECT_EQ(LanguageModuleName(1031), "1031.DLL");
}

TEST(Context, HelpFileReplacesTheExtension) {
  EXPECT_EQ(HelpFileFor("C:\\Program Files\\Vantrel\\Vantrel.exe", 1033), "C:\\Program Files\\Vantrel\\Vantrel-1033.chm");
  EXPECT_EQ(HelpFileFor("C:\\Tools\\Vantrel.exe", 1031), "C:\\Tools\\Vantrel-1031.chm");
  EXPECT_EQ(HelpFileFor("C:\\Tools\\Vantrel", 1033), "C:\\Tools\\Vantrel");
}

TEST(Context, FillContextComputesTheStartupValues) {
  Context context;
  StartupFacts facts;
  facts.languageNumber = 1031;
  facts.executablePath = "C:\\Tools\\Vantrel.exe";
  facts.windowTitle = "Vantrel";
  facts.websiteText = "www.example.com";
  facts.languageTag = "DEU";
  facts.localeGrouping = "3;0";
  facts.localeThousandSeparator = ".";
  facts.vistaOrLater = true;
  FillContext(context, facts);

  EXPECT_STREQ(context.AppName.c_str(), "Vantrel");
  EXPECT_EQ(context.languageNumber, 1031);
  EXPECT_STREQ(context.HelpFile.c_str(), "C:\\Tools\\Vantrel-1031.chm");
  EXPECT_STREQ(context.HelpContextFile.c_str(), "C:\\Tools\\Vantrel-1031.chm::/context.txt");
  EXPECT_STREQ(context.LanguageTag.c_str(), "DEU");
  EXPECT_STREQ(context.WebsiteText.c_str(), "www.example.com");
  EXPECT_TRUE(context.vistaOrLater);
  EXPECT_EQ(context.NumberFormat.grouping, 3u);
  EXPECT_EQ(context.NumberFormat.thousandSeparator, ".");
  EXPECT_EQ(context.NumberFormat.decimalSeparator, "");
  EXPECT_EQ(context.NumberFormat.negativeOrder, 1u);
  EXPECT_EQ(context.dictionary, nullptr);
  EXPECT_EQ(context.CurrentMedia, nullptr);
}

TEST(Context, ValuesNeverGrowPastTheirLimits) {
  Context context;
  StartupFacts facts;
  facts.windowTitle = std::string(150, 't');
  facts.websiteText = std::string(150, 'w');
  facts.languageTag = std::string(300, 'g');
  facts.executablePath = "C:\\" + std::string(300, 'p') + ".exe";
  FillContext(context, facts);
  EXPECT_EQ(context.WindowTitle.size(), 99u);
  EXPECT_EQ(context.WebsiteText.size(), 100u);
  EXPECT_EQ(context.LanguageTag.size(), 227u);
  EXPECT_EQ(context.HelpFile.size(), 260u);
  EXPECT_EQ(context.HelpContextFile.size(), 260u);

  context.AppName = std::string(80, 'a');
  EXPECT_EQ(context.AppName.size(), 50u);
  context.AppName = context.AppName.c_str();  // assigning its own text is safe
  EXPECT_EQ(context.AppName.size(), 50u);
}
