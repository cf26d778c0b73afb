// The language modules as the program loads them at start-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TextIds.h"

namespace {

class LanguageModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { module_ = LoadLibraryA("1033.DLL"); }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(LanguageModuleTest, OrdinalOneReturnsTheLanguageTag) {
  ASSERT_NE(module_, nullptr);
  using TagFunction = const char*(__cdecl*)();
  auto tag = reinterpret_cast<TagFunction>(reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))));
  ASSERT_NE(tag, nullptr);
  EXPECT_STREQ(tag(), "ENU");
}

TEST_F(LanguageModuleTest, LoadStringFindsEveryId) {
  ASSERT_NE(module_, nullptr);
  for (unsigned id : kTextIds) {
    char text[1024] = {};
    EXPECT_GT(LoadStringA(module_, id, text, sizeof text), 0) << "id " << id;
  }
  char none[16] = {};
  EXPECT_EQ(LoadStringA(module_, 59999, none, sizeof none), 0);
}

// The German module holds every id as well, under its own tag, and its UTF-8
// scripts come out as the user's code page has them (Windows-1252 here).
TEST(GermanLanguageModule, HoldsEveryTextWithItsUmlauts) {
  HMODULE module = LoadLibraryA("1031.DLL");
  ASSERT_NE(module, nullptr);
  using TagFunction = const char*(__cdecl*)();
  auto tag = reinterpret_cast<TagFunction>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
  ASSERT_NE(tag, nullptr);
  EXPECT_STREQ(tag(), "DEU");
  for (unsigned id : kTextIds) {
    char text[1024] = {};
    EXPECT_GT(LoadStringA(module, id, text, sizeof text), 0) << "id " << id;
  }
  ASSERT_EQ(GetACP(), 1252u);
  char text[64] = {};
  ASSERT_GT(LoadStringA(module, kTextAboutTitle, text, sizeof text), 0);
  EXPECT_STREQ(text, "\xDC" "ber Vantrel");
  ASSERT_GT(LoadStringA(module, kTextFoundColumnTitles, text, sizeof text), 0);
  EXPECT_STREQ(text, "Name;-Gr\xF6\xDF" "e;Zustand");
  FreeLibrary(module);
}

TEST_F(LanguageModuleTest, EscapesComeThroughTheResourceCompiler) {
  ASSERT_NE(module_, nullptr);
  char text[1024] = {};
  int length = LoadStringA(module_, kTextRunHeader, text, sizeof text);
  ASSERT_GT(length, 2);
  EXPECT_EQ(std::string(text + length - 2), "\r\n");
}
