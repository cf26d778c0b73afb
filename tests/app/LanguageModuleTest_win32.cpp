// 1033.DLL as the program loads it at start-up.
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

TEST_F(LanguageModuleTest, EscapesComeThroughTheResourceCompiler) {
  ASSERT_NE(module_, nullptr);
  char text[1024] = {};
  int length = LoadStringA(module_, kTextRunHeader, text, sizeof text);
  ASSERT_GT(length, 2);
  EXPECT_EQ(std::string(text + length - 2), "\r\n");
}
