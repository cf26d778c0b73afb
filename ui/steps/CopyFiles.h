// Step 4 of the wizard: every file the run found, in a list with check
// boxes, columns to sort by and the path as an infotip; a preview of the
// selected picture; the destination folder with a folder browser; and Copy,
// which writes the ticked files there in their folders through the engine's
// copy routine. Back discards the run and returns to step 2.
//
// While a copy, a preview or a view reads the card, the step holds off Back,
// Copy, tick changes and selection changes, and the main window's close
// waits for the read (a copy stops after the file it is writing): nothing a
// read uses goes away under it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Dialog.h"
#include "PictureFrame.h"

class File;

class CopyFiles : public Dialog {
 public:
  static constexpr WORD kTemplate = 140;
  static constexpr int kFileList = 1019;
  static constexpr int kTickAll = 1020;
  static constexpr int kUntickAll = 1021;
  static constexpr int kDestination = 1022;
  static constexpr int kCopy = 1023;
  static constexpr int kBrowse = 1024;
  static constexpr int kBack = 1006;
  static constexpr int kPictureFrame = 1028;
  // The context menu's items.
  static constexpr int kReplaceBlockingItem = 301;
  static constexpr int kViewItem = 302;
  static constexpr UINT_PTR kRepaintTimer = 1001;
  static constexpr int kColumnCount = 3;

  explicit CopyFiles(HWND mainWindow);
  ~CopyFiles() override;

  bool Create() override;
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // A click on the header of column 0, 1 or 2: the same column again turns
  // the order round.
  void SortByColumn(int column);
  // By the sort key's column, turned round for a negative key: names by the
  // system's order of the names the list shows, sizes by all their 64 bits,
  // complete files before incomplete ones.
  int CompareRecords(const File& a, const File& b);
  // What the context menu's items do; record is the one under the cursor.
  void RunMenuCommand(int command, File* record);
  // The preview of the selected file: null or a file that is no picture
  // shows the information text instead.
  void ShowThumbnail(File* record);
  // The picture in a window of its own, as large as the screen allows.
  void ViewPicture(File* record);
  // Copies the ticked items into destination; false when a file failed.
  bool CopyTicked(const std::string& destination);

  int SortKey() const { return sortKey_; }
  bool ReplaceBlockingFiles() const { return replaceBlocking_; }
  bool Reading() const { return reads_ > 0; }
  bool InfotipsOn() const { return infotips_; }
  const PictureFrame& Frame() const { return frame_; }
  // The text the infotip of the item of record shows.
  std::string InfotipText(const File& record, std::size_t limit) const;
  // Where the copies of this step went, by record.
  const std::map<const File*, std::u16string>& Copies() const { return copies_; }

 private:
  // Holds reads on while it lives.
  class ReadHold {
   public:
    explicit ReadHold(CopyFiles& step) : step_(step) { ++step_.reads_; }
    ~ReadHold() { --step_.reads_; }
    ReadHold(const ReadHold&) = delete;
    ReadHold& operator=(const ReadHold&) = delete;

   private:
    CopyFiles& step_;
  };

  void SetUpList();
  void InsertColumns(HWND list);
  void FillList(const File& folder, HWND list);
  void SetUpButtons();
  INT_PTR OnNotify(const NMHDR& header);
  bool OnItemChanging(const NMLISTVIEW& change) const;
  void OnItemChanged(const NMLISTVIEW& change);
  void OnInfotip(NMHDR& header);
  void OnCommand(int command);
  void ShowContextMenu();
  void TickEvery(bool ticked);
  void BrowseDestination();
  void OnCopy();
  bool DestinationIsUsable(std::string& folder);
  void Back();
  void ShowPictureFrame(bool show);
  const std::string& SortName(const File& record);
  File* RecordOfItem(int item) const;
  // numbered: where copies went under new names; incomplete: the files on
  // the card that could not be read whole.
  std::string ResultText(uint32_t copied, const std::string& destination, const std::vector<std::string>& numbered,
                         const std::vector<std::string>& incomplete) const;

  HFONT listFont_ = nullptr;
  // The state column's texts, loaded once for the whole list.
  std::string completeText_;
  std::string incompleteText_;
  std::string deletedText_;
  std::string deletedIncompleteText_;
  HMENU menu_ = nullptr;
  HBITMAP browse_ = nullptr;
  HBITMAP back_ = nullptr;
  HBITMAP copy_ = nullptr;
  HBITMAP clear_ = nullptr;
  std::string destination_;
  int sortKey_ = 0;
  bool replaceBlocking_ = true;
  bool infotips_ = false;
  int reads_ = 0;
  PictureFrame frame_;
  std::map<const File*, std::u16string> copies_;
  // The system's sort keys of the names the list shows, made at the first
  // sort by name.
  std::map<const File*, std::string> sortNames_;
};
