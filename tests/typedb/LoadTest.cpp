#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DictionaryFile.h"
#include "LineParser.h"
#include "TestDictionaries.h"
#include "TestFiles.h"
#include "TypeDB.h"

namespace {

std::string InvalidLineText(int number, const std::string& line) {
  return "Invalid file information database line " + std::to_string(number) + " : " + line + "\n";
}

// Loads a comment, the line, and a valid line behind it.
std::string LoadError(const std::string& line) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "# first line\n" + line + "\n0 \"OK\" .ok\n"));
  return dictionary.ErrorText() != nullptr ? dictionary.ErrorText() : "(none)";
}

}  // namespace

TEST(TypeDBLoad, MissingFileNamesItsPath) {
  TypeDB dictionary;
  EXPECT_EQ(dictionary.ErrorText(), nullptr);
  std::string path = ScratchDictionaryPath();
  RemoveFile(path);
  EXPECT_FALSE(dictionary.Load(path));
  EXPECT_STREQ(dictionary.ErrorText(), ("Error opening file information database - " + path + "\n").c_str());
  EXPECT_FALSE(dictionary.IdentifyType(reinterpret_cast<const uint8_t*>("text"), 4));
}

TEST(TypeDBLoad, OversizedFileIsRefusedAsUnreadable) {
  TypeDB dictionary;
  std::string path = ScratchDictionaryPath();
  WriteWholeFile(path, std::string(kMaxDictionaryBytes + 1, '#'));
  EXPECT_FALSE(dictionary.Load(path));
  EXPECT_STREQ(dictionary.ErrorText(), ("Error opening file information database - " + path + "\n").c_str());
  RemoveFile(path);
}

TEST(TypeDBLoad, EmptyFileLoads) {
  TypeDB dictionary;
  EXPECT_TRUE(LoadDictionaryText(dictionary, ""));
  EXPECT_EQ(dictionary.ErrorText(), nullptr);
  EXPECT_EQ(dictionary.VersionText(), "");
}

TEST(TypeDBLoad, CommentsAndTextTypeOnly) {
  TypeDB dictionary;
  ASSERT_TRUE(LoadDictionaryText(dictionary, "# only a comment\n\n   \t\n.txt Plain text\n"));
  EXPECT_TRUE(Identify(dictionary, Bytes("Dear Sir,\r\n\tThank you.")));
  EXPECT_STREQ(dictionary.MatchExtension(), ".txt");
  EXPECT_FALSE(Identify(dictionary, Bytes("\x89PNG", 4)));
  EXPECT_STREQ(dictionary.MatchExtension(), "");
}

TEST(TypeDBLoad, EveryInvalidKindOfLineIsReportedWithItsNumberAndText) {
  const std::vector<std::string> invalid = {
      "+0 \"AB\" .ab",             // a "+" line first
      "\"AB\" .ab",                // no offset
      "12",                        // the offset reaches the line's end
      "12   ",                     // no pattern
      "!",                         // "!" without an offset
      "!+0 \"AB\" .ab",            // "!+" instead of "+!"
      "0/ \"AB\" .ab",             // a step without digits
      "0/4",                       // the step reaches the line's end
      "0 AB .ab",                  // a pattern of another kind
      "0 0x1 .ab",                 // numeric width 0
      "0 0x1234567890 .ab",        // numeric width 5
      "0 0x12.ab",                 // numeric not followed by a blank or "&"
      "0 0x12",                    // numeric at the line's end
      "0 0x12& .ab",               // a mask without digits
      "0 0x12&0xFF.ab",            // a mask not followed by a blank
      "0 0x12&0xFF",               // a mask at the line's end
      "0 0x123456&0xFFFFFF .ab",   // a masked width of 3
      "0 >>1-2 x",                 // a bad character in the operator expression
      "0 >>*4",                    // the expression at the line's end
      "0 \"AB\"",                  // nothing after the pattern
      "0 \"AB\" ab",               // something other than "-" or "."
      "0 0x4142 ab",
      "0 \"AB",                    // no closing quote
      "0 \"AB\\",                  // a backslash at the line's end
      "0 \"" + std::string(49, 'x') + "\" .ab",  // 49 pattern bytes
      "0 >" + std::string(26, '+') + " x",       // 13 operator pairs
      "0 \"AB\" .abcdefgh",        // a nine-character extension
      ".abcdefgh Nine characters",
      "0 \"AB\" .ab   ",           // blanks and no description
      ".txt ",
      std::string(256, '#'),       // 256 characters
  };
  for (const std::string& line : invalid) {
    SCOPED_TRACE(line);
    EXPECT_EQ(LoadError(line), InvalidLineText(2, line.substr(0, kMaxLineChars)));
  }
}

TEST(TypeDBLoad, LimitsThemselvesAreValid) {
  TypeDB dictionary;
  // 48 pattern bytes, an extension of 8 characters, a description of 40.
  std::string text = "0 \"" + std::string(48, 'x') + "\" .abcdefg " + std::string(40, 'd') + "\n" +
                     "0 >" + std::string(25, '+') + " 12 pairs and an odd word\n" +
                     "+0 \"y\" .y\n" +
                     "#" + std::string(254, ' ') + "\n";  // 255 characters
  ASSERT_TRUE(LoadDictionaryText(dictionary, text)) << dictionary.ErrorText();
  EXPECT_TRUE(Identify(dictionary, Bytes(std::string(48, 'x'))));
  EXPECT_STREQ(dictionary.MatchExtension(), ".abcdefg");
}

// Every physical line counts, CR LF ends lines as LF does, and the message
// shows the line without its CR.
TEST(TypeDBLoad, LineNumbersCountEveryLine) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "\r\n# comment\r\n\r\n   \r\n0 \"A\" .a\r\n0 bad\r\n"));
  EXPECT_STREQ(dictionary.ErrorText(), InvalidLineText(6, "0 bad").c_str());
}

TEST(TypeDBLoad, LastLineNeedsNoLineFeed) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "0 \"A\" .a\n  0 bad"));
  EXPECT_STREQ(dictionary.ErrorText(), InvalidLineText(2, "  0 bad").c_str());
}

TEST(TypeDBLoad, EntriesBeforeAnInvalidLineStayLaterOnesAreNotRead) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "0 \"AB\" .ab\n0 \"CD\" ab\n0 \"EF\" .ef\n.txt\n"));
  EXPECT_TRUE(Identify(dictionary, Bytes("AB")));
  EXPECT_STREQ(dictionary.MatchExtension(), ".ab");
  EXPECT_FALSE(Identify(dictionary, Bytes("EF")));
}

TEST(TypeDBLoad, ContinuationNeedsAnOpenSignature) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "0 \"A\" .a\n+1 \"B\" .b\n"));
  EXPECT_STREQ(dictionary.ErrorText(), InvalidLineText(2, "+1 \"B\" .b").c_str());
  // After a finished chain of two lines, a third "+" line has nothing to continue.
  TypeDB finished;
  EXPECT_FALSE(LoadDictionaryText(finished, "0 \"A\" -\n+1 \"B\" .b\n+2 \"C\" .c\n"));
  EXPECT_STREQ(finished.ErrorText(), InvalidLineText(3, "+2 \"C\" .c").c_str());
}

TEST(TypeDBLoad, ErrorTextIsReplacedByTheNextFailure) {
  TypeDB dictionary;
  EXPECT_FALSE(LoadDictionaryText(dictionary, "bad\n"));
  EXPECT_FALSE(dictionary.Load(ScratchDictionaryPath()));
  std::string expected = "Error opening file information database - " + ScratchDictionaryPath() + "\n";
  EXPECT_STREQ(dictionary.ErrorText(), expected.c_str());
}

TEST(TypeDBLoad, VersionComment) {
  struct Case {
    const char* text;
    const char* version;
  };
  const Case cases[] = {
      {"#Version 2.4\n", "2.4"},
      {"  #version   2.4 beta\n", "2.4 beta"},
      {"#V 7\n", "7"},
      {"#V\n", ""},                 // fewer than four characters
      {"#Version\n", ""},           // no space
      {"#Version   \n", ""},        // nothing after the space
      {"# Version 2.4\n", ""},      // not "V" after "#"
      {"#Version 1\n#Version 2\n", "2"},
      {"#Vers\t1 x 2\n", "x 2"},    // after the first space, not the tab
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TypeDB dictionary;
    ASSERT_TRUE(LoadDictionaryText(dictionary, c.text));
    EXPECT_EQ(dictionary.VersionText(), c.version);
  }
}

TEST(TypeDBLoad, TextTypeIsTheLastExactTxtLine) {
  TypeDB dictionary;
  ASSERT_TRUE(LoadDictionaryText(dictionary, ".txt +first\n.txt second\n.TXT upper case\n"));
  ASSERT_TRUE(Identify(dictionary, Bytes("plain")));
  EXPECT_STREQ(dictionary.MatchExtension(), ".txt");
  EXPECT_FALSE(dictionary.MatchIsPicture());
  TypeDB upper;
  ASSERT_TRUE(LoadDictionaryText(upper, ".TXT upper case\n"));
  EXPECT_FALSE(Identify(upper, Bytes("plain")));
}

// The parser gets exactly the line's bytes, not a terminated string: the
// sanitizers see any read past them.
TEST(TypeDBLoad, ParserReadsOnlyTheLine) {
  const std::pair<std::string, bool> lines[] = {
      {"0 \"abc", false},  {"0 \"abc\\", false}, {"0 \"abc\\x4", false}, {"0 \"abc\\17", false},
      {"0 0x12", false},   {"0 0x12&0x", false},  {"0 >>12", false},      {"0 >>*", false},
      {"12", false},       {"0/", false},         {"0 \"a\" .ext", true}, {"0 \"a\" -", true},
      {".txt", true},      {"#V", true},          {"#Version 3", true},
  };
  for (const auto& line : lines) {
    SCOPED_TRACE(line.first);
    std::vector<char> exact(line.first.begin(), line.first.end());
    ParsedLine parsed = ParseDictionaryLine(exact.data(), exact.size());
    EXPECT_EQ(parsed.kind != LineKind::kInvalid, line.second);
  }
}
