// The names copies get: what a hostile name becomes, and the numbered names.
// (How numbered names are chosen within a copy is FileCopierTest's.)
#include <gtest/gtest.h>

#include <string>

#include "TargetName.h"

using namespace std::string_literals;

TEST(SafeName, OrdinaryNamesStayAsTheyAre) {
  for (const std::u16string& name : {u"IMG_0001.JPG"s, u"Ferien am Meer.jpeg"s, u"Ωμέγα 😀.png"s, u".hidden"s,
                                     u"..leading"s, u"CONSOLE.TXT"s, u"COM10"s, u"NULL"s, u"LPT"s})
    EXPECT_EQ(SafeName(name), name);
}

TEST(SafeName, RefusedCharactersBecomeUnderscores) {
  EXPECT_EQ(SafeName(u"a\\b/c:d"), u"a_b_c_d");
  EXPECT_EQ(SafeName(u"*?\"<>|"), u"______");
  EXPECT_EQ(SafeName(u"a\tb\u007F\u001Fc"), u"a_b__c");
  EXPECT_EQ(SafeName(u"nul\0end"s), u"nul_end");
  EXPECT_EQ(SafeName(u"half\xDC00 and \xD800"), u"half_ and _");
}

TEST(SafeName, TrailingDotsAndBlanksAndEmptyNames) {
  EXPECT_EQ(SafeName(u".."), u"__");
  EXPECT_EQ(SafeName(u"."), u"_");
  EXPECT_EQ(SafeName(u"name. . "), u"name____");
  EXPECT_EQ(SafeName(u"a.b.c"), u"a.b.c");
  EXPECT_EQ(SafeName(u""), u"_");
}

TEST(SafeName, DeviceNamesGetASuffix) {
  EXPECT_EQ(SafeName(u"CON"), u"CON_");
  EXPECT_EQ(SafeName(u"con.txt"), u"con_.txt");
  EXPECT_EQ(SafeName(u"Nul.tar.gz"), u"Nul_.tar.gz");
  EXPECT_EQ(SafeName(u"aux  .c"), u"aux_  .c");
  EXPECT_EQ(SafeName(u"COM0"), u"COM0_");
  EXPECT_EQ(SafeName(u"lpt9.doc"), u"lpt9_.doc");
  EXPECT_EQ(SafeName(u"COM\u00B2"), u"COM\u00B2_");
  EXPECT_EQ(SafeName(u"CONOUT$"), u"CONOUT$_");
  EXPECT_EQ(SafeName(u"PRN."), u"PRN_");  // without its dot, no device
  EXPECT_EQ(SafeName(u"con:"), u"con_");  // no device once ":" is gone
}

TEST(NumberedName, GoesBeforeTheLastDot) {
  EXPECT_EQ(NumberedName(u"IMG_0001.JPG", 2), u"IMG_0001 (2).JPG");
  EXPECT_EQ(NumberedName(u"archive.tar.gz", 10), u"archive.tar (10).gz");
  EXPECT_EQ(NumberedName(u"README", 3), u"README (3)");
  EXPECT_EQ(NumberedName(u".profile", 2), u".profile (2)");
}
