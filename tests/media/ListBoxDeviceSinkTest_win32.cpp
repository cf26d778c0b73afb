// The device list in a real list box, and the command its parent gets.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ListBoxDeviceSink.h"
#include "PopulateDevices.h"

namespace {

using Row = std::pair<std::string, LRESULT>;
using Rows = std::vector<Row>;
using Commands = std::vector<std::pair<WPARAM, LPARAM>>;

Commands commands;

LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) commands.emplace_back(wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

class ListBoxDeviceSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA type = {};
    type.lpfnWndProc = ParentProcedure;
    type.lpszClassName = "DeviceListParent";
    RegisterClassA(&type);
    parent = CreateWindowExA(0, type.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                             nullptr);
    list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 200, 100, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    commands.clear();
  }
  void TearDown() override { DestroyWindow(parent); }

  Rows ListedRows() const {
    Rows rows;
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
      char text[512] = {};
      if (SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= static_cast<LRESULT>(sizeof text)) break;
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      rows.emplace_back(text, SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    }
    return rows;
  }

  HWND parent = nullptr;
  HWND list = nullptr;
  const std::string own = "Open a card image file...";
};

}  // namespace

TEST_F(ListBoxDeviceSinkTest, KeepsTheStepsRowLastTellsTheParentAndDetaches) {
  ListBoxDeviceSink sink(list, own);
  sink.Add("first", 69);  // on an empty list the step's row comes too
  EXPECT_EQ(ListedRows(), (Rows{{"first", 69}, {own, -1}}));
  sink.Clear();
  EXPECT_EQ(ListedRows(), (Rows{{own, -1}}));
  sink.Add(" E:\\\tCARD\tGeneric SD Reader", 'E');
  sink.Add(" PhysicalDrive3\tSanDisk Cruzer", -2);
  Rows filled = {{" E:\\\tCARD\tGeneric SD Reader", 'E'}, {" PhysicalDrive3\tSanDisk Cruzer", -2}, {own, -1}};
  EXPECT_EQ(ListedRows(), filled);
  sink.Finished(true);
  sink.Finished(false);
  EXPECT_EQ(commands, (Commands{{4001, 1}, {4001, 0}}));
  sink.Denied('F');
  sink.Denied('H');
  EXPECT_EQ(sink.deniedLetters(), (1u << 5) | (1u << 7));

  sink.Detach();
  sink.Add("late", 'G');
  sink.Clear();
  sink.Finished(true);
  EXPECT_EQ(ListedRows(), filled);
  EXPECT_EQ(commands.size(), 2u);
}

// The worker sends from its own thread while this one keeps the messages
// flowing. Whatever Wine's drives give, no window shows and the step's row
// stays last.
TEST_F(ListBoxDeviceSinkTest, AWorkerOverThePlatformsDrivesFillsTheList) {
  ListBoxDeviceSink sink(list, own);
  PopulateDevices worker(sink, false);
  ASSERT_TRUE(worker.start());
  for (int i = 0; i < 30000 && !worker.isFinished(); ++i) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(1);
  }
  ASSERT_TRUE(worker.isFinished());
  Rows rows = ListedRows();
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows.back(), Row(own, -1));
  bool nothingFound = rows.size() == 2 && rows[0].second == 0;
  EXPECT_EQ(commands, (Commands{{4001, nothingFound ? 1 : 0}}));
}
