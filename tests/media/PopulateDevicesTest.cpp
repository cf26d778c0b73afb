// Step 1's enumeration over made-up drive letters and in-memory devices.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "DriveSet.h"
#include "MediaTestSupport.h"
#include "PopulateDevices.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr uint32_t kAta = 3;
constexpr uint32_t kFireWire = 4;
constexpr uint32_t kUsb = 7;

struct FakeDrive {
  uint32_t type = kDriveNoRootDir;
  bool volumeAnswers = true;
  std::string volumeName;
  std::vector<std::string> targets;
  std::vector<uint32_t> disks;  // none: the query fails
};

// A letter it was not told of answers as Windows does for an unused one.
class FakeDriveSet : public DriveSet {
 public:
  uint32_t DriveType(char letter) override {
    typesAsked += letter;
    return drives.count(letter) ? drives[letter].type : kDriveNoRootDir;
  }
  bool VolumeInformation(char letter, std::string& volumeName, std::string& fileSystem) override {
    if (onVolume) onVolume(letter);
    if (!drives.count(letter) || !drives[letter].volumeAnswers) return false;
    volumeName = drives[letter].volumeName;
    fileSystem = "FAT32";
    return true;
  }
  bool DriveTargets(char letter, std::vector<std::string>& targets) override {
    if (!drives.count(letter)) return false;
    targets = drives[letter].targets;
    return true;
  }
  bool DiskNumbersOfVolume(char letter, std::vector<uint32_t>& disks) override {
    if (!drives.count(letter) || drives[letter].disks.empty()) return false;
    disks = drives[letter].disks;
    return true;
  }
  bool DeviceNames(std::vector<std::string>& names) override {
    if (onDeviceNames) onDeviceNames();
    names = deviceNames;
    return true;
  }

  std::map<char, FakeDrive> drives;
  std::vector<std::string> deviceNames;
  std::string typesAsked;
  std::function<void(char)> onVolume;
  std::function<void()> onDeviceNames;
};

using Row = std::pair<std::string, int32_t>;

// Every call as a line, so that a whole run compares at once.
class RecordingSink : public DeviceListSink {
 public:
  void Clear() override {
    rows.clear();
    calls.push_back("Clear");
  }
  void Add(const std::string& text, int32_t item) override {
    rows.emplace_back(text, item);
    calls.push_back(std::to_string(item) + " " + text);
  }
  void Denied(char letter) override { denied += letter; }
  void Finished(bool nothingFound) override { calls.push_back(nothingFound ? "Finished nothing" : "Finished"); }

  std::vector<Row> rows;
  std::vector<std::string> calls;
  std::string denied;
};

class PopulateDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    RemoveFile(TraceFilePath());
  }

  std::shared_ptr<MemoryMedium> AddDrive(char letter, uint32_t type, const std::string& volume,
                                         const std::string& vendor, const std::string& model) {
    drives.drives[letter].type = type;
    drives.drives[letter].volumeName = volume;
    return AddMedium(std::string("\\\\.\\") + letter + ":", vendor, model, kUsb);
  }
  std::shared_ptr<MemoryMedium> AddDisk(uint32_t number, const std::string& vendor, const std::string& model,
                                        uint32_t bus) {
    drives.deviceNames.push_back("PhysicalDrive" + std::to_string(number));
    return AddMedium("\\\\.\\" + drives.deviceNames.back(), vendor, model, bus);
  }
  std::shared_ptr<MemoryMedium> AddMedium(const std::string& path, const std::string& vendor, const std::string& model,
                                          uint32_t bus) {
    auto medium = devices.Add(path, NumberedImage(65536));
    medium->storage.vendorId = vendor;
    medium->storage.productId = model;
    medium->storage.busType = bus;
    return medium;
  }

  void Run(bool accessFloppy = false) {
    PopulateDevices worker(sink, accessFloppy, drives, &devices);
    EXPECT_EQ(worker.run(nullptr), 0u);
  }

  static bool Traced(const std::string& line) {
    std::vector<std::string> lines = TraceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  FakeDriveSet drives;
  MemoryDeviceOpener devices;
  RecordingSink sink;
  const std::string searching = "0 " + LoadText(kTextLookingForDevices);
  const std::string noName = LoadText(kTextNoVolumeName);
};

TEST_F(PopulateDevicesTest, RemovableDrivesAreListedWithVolumeAndDevice) {
  AddDrive('E', kDriveRemovable, "CARD", "Generic", "SD Reader");
  AddDrive('F', kDriveRemovable, "", "Lexar", "CF Reader");
  AddDrive('G', kDriveRemovable, "", "Acme", "Reader");
  drives.drives['G'].volumeAnswers = false;
  // An unformatted card: no root folder, no volume, a reader without a descriptor.
  AddDrive('H', kDriveNoRootDir, "", "", "")->storageError = kErrorInvalidFunction;
  drives.drives['H'].volumeAnswers = false;

  Run();

  // The searching row is alone until the first device row replaces it.
  std::vector<std::string> expected = {"Clear",
                                       searching,
                                       "Clear",
                                       "69  E:\\\tCARD\tGeneric SD Reader",
                                       "70  F:\\\t\tLexar CF Reader",
                                       "71  G:\\\t" + noName + "\tAcme Reader",
                                       "72  H:\\\t" + noName + "\t ",
                                       "Finished"};
  EXPECT_EQ(sink.calls, expected);
  EXPECT_TRUE(Traced("Drive type for E:\\: Removable"));
  EXPECT_TRUE(Traced("Getting volume information for E:\\ drive"));
  EXPECT_TRUE(Traced("E:\\ - filesys:FAT32, volume:CARD"));
}

TEST_F(PopulateDevicesTest, UnreadyOrDeniedDrivesGetNoRowAndNoWindow) {
  AddDrive('E', kDriveRemovable, "CARD", "Generic", "SD Reader")->notReady = true;
  auto denied = AddDrive('F', kDriveRemovable, "CARD", "Generic", "SD Reader");
  denied->denyReadWrite = denied->denyReadOnly = true;
  drives.drives['G'].type = kDriveRemovable;  // nothing to open behind it

  Run();

  // Under Wine a warning box would hold the suite here.
  std::vector<std::string> expected = {"Clear", searching, "Clear", "0 " + LoadText(kTextNoDevices),
                                       "Finished nothing"};
  EXPECT_EQ(sink.calls, expected);
  EXPECT_EQ(sink.denied, "F");
  EXPECT_TRUE(Traced("Not shown: " + LoadText(kTextAccessDenied, "F:")));
}

TEST_F(PopulateDevicesTest, OtherDrivesAreNotListedAndOnlyUsbOrFireWireDisksWithoutALetterAre) {
  auto system = AddDrive('C', kDriveFixed, "SYSTEM", "Generic", "USB Disk");
  drives.drives['C'].targets = {"\\Device\\HarddiskVolume2"};
  drives.drives['C'].disks = {0};
  auto share = AddDrive('D', kDriveRemote, "SHARE", "Generic", "Net");
  auto disc = AddDrive('F', kDriveCdRom, "DISC", "Generic", "DVD");
  drives.drives['R'].type = kDriveRamDisk;
  drives.drives['S'].type = 9;
  drives.drives['W'].type = kDriveFixed;
  drives.drives['W'].targets = {"\\Device\\CdRom0", "\\Device\\Harddisk1\\DR1"};
  auto disk0 = AddDisk(0, "Generic", "USB Disk", kUsb);
  auto disk1 = AddDisk(1, "Generic", "USB Disk", kUsb);
  AddDisk(2, "WDC", "WD10EZEX", kAta);
  AddDisk(4, "SanDisk", "Cruzer", kUsb);
  AddDisk(5, "LaCie", "d2", kFireWire);
  AddDisk(6, "Generic", "USB Disk", kUsb)->storageError = kErrorInvalidFunction;
  AddMedium("\\\\.\\PhysicalDrive8x", "Generic", "USB Disk", kUsb);
  drives.deviceNames.insert(drives.deviceNames.end(), {"PhysicalDrive7", "C:", "PhysicalDrive8x"});

  Run();

  std::vector<Row> expected = {{" PhysicalDrive4\tSanDisk Cruzer", -2}, {" PhysicalDrive5\tLaCie d2", -2}};
  EXPECT_EQ(sink.rows, expected);
  for (const auto& unopened : {system, share, disc, disk0, disk1}) EXPECT_EQ(unopened->counters.opens, 0u);
  for (const char* line : {"C:\\: Fixed", "D:\\: Remote", "F:\\: CDROM", "R:\\: RAMDISK", "S:\\: Unknown"})
    EXPECT_TRUE(Traced(std::string("Drive type for ") + line)) << line;
}

TEST_F(PopulateDevicesTest, ACardsVolumeKeepsItsDiskOffThePhysicalList) {
  AddDrive('E', kDriveRemovable, "CARD", "Generic", "SD Reader");
  drives.drives['E'].targets = {"\\Device\\HarddiskVolume7"};
  drives.drives['E'].disks = {3};
  // A reader without a card still holds its disk's number.
  AddDrive('G', kDriveRemovable, "", "Generic", "CF Reader")->notReady = true;
  drives.drives['G'].targets = {"\\Device\\HarddiskVolume9"};
  drives.drives['G'].disks = {37};
  drives.drives['H'].type = kDriveFixed;
  drives.drives['H'].targets = {"\\Device\\Harddisk33\\DR33"};
  // Disk numbers 32 apart share a bit of the mask: 37 keeps 5 off, 33 keeps 1 and 65.
  std::vector<std::shared_ptr<MemoryMedium>> kept;
  for (uint32_t number : {3u, 5u, 1u, 65u}) kept.push_back(AddDisk(number, "Generic", "USB Disk", kUsb));
  AddDisk(2, "SanDisk", "Cruzer", kUsb);

  Run();

  std::vector<Row> expected = {{" E:\\\tCARD\tGeneric SD Reader", 'E'}, {" PhysicalDrive2\tSanDisk Cruzer", -2}};
  EXPECT_EQ(sink.rows, expected);
  for (const auto& disk : kept) EXPECT_EQ(disk->counters.opens, 0u);
}

TEST_F(PopulateDevicesTest, TheFloppySettingStartsTheScanAtAAndLongTextsAreCut) {
  const std::string label(1000, 'L');
  const std::string vendor(1000, 'V');
  const std::string model(1000, 'M');
  AddDrive('A', kDriveRemovable, label, vendor, model);
  AddDisk(2, vendor, model, kUsb);

  Run(false);
  EXPECT_EQ(drives.typesAsked, "CDEFGHIJKLMNOPQRSTUVWXYZ");
  ASSERT_EQ(sink.rows.size(), 1u);

  drives.typesAsked.clear();
  Run(true);
  EXPECT_EQ(drives.typesAsked, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  ASSERT_EQ(sink.rows.size(), 2u);
  EXPECT_EQ(sink.rows[0].first.substr(0, 5), " A:\\\t");
  EXPECT_EQ(sink.rows[1].first.substr(0, 16), " PhysicalDrive2\t");
  // Cut, but no shorter than what Windows gives: a 32-character label, an
  // 8-character vendor and a 16-character product.
  for (const Row& row : sink.rows) {
    const std::string& text = row.first;
    std::size_t tab = text.rfind('\t');
    std::size_t blank = text.find(' ', tab);
    ASSERT_NE(blank, std::string::npos) << text;
    EXPECT_LT(text.size(), 500u);
    EXPECT_EQ(text.substr(tab + 1, blank - tab - 1), vendor.substr(0, std::max<std::size_t>(blank - tab - 1, 8)));
    EXPECT_EQ(text.substr(blank + 1), model.substr(0, std::max<std::size_t>(text.size() - blank - 1, 16)));
  }
  std::size_t labelLength = sink.rows[0].first.rfind('\t') - 5;
  EXPECT_EQ(sink.rows[0].first.substr(5, labelLength), label.substr(0, std::max<std::size_t>(labelLength, 32)));
}

TEST_F(PopulateDevicesTest, AStopRequestEndsTheRunBeforeTheNextProbe) {
  AddDrive('E', kDriveRemovable, "CARD", "Generic", "SD Reader");
  auto second = AddDrive('F', kDriveRemovable, "CARD", "Generic", "SD Reader");
  auto disk = AddDisk(4, "SanDisk", "Cruzer", kUsb);
  {
    PopulateDevices worker(sink, false, drives, &devices);
    drives.onVolume = [&worker](char letter) {
      if (letter == 'F') worker.requestStop();
    };
    ASSERT_TRUE(worker.start());
    worker.waitUntilFinished();
  }
  std::vector<std::string> expected = {"Clear", searching, "Clear", "69  E:\\\tCARD\tGeneric SD Reader", "Finished"};
  EXPECT_EQ(sink.calls, expected);
  EXPECT_EQ(drives.typesAsked, "CDEF");
  EXPECT_EQ(second->counters.opens, 0u);

  // Stopped before the disks: no disk probed, and no nothing-found row.
  sink.calls.clear();
  drives.drives['E'].type = drives.drives['F'].type = kDriveCdRom;
  PopulateDevices worker(sink, false, drives, &devices);
  drives.onDeviceNames = [&worker] { worker.requestStop(); };
  worker.run(nullptr);
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"Clear", searching, "Finished nothing"}));
  EXPECT_EQ(disk->counters.opens, 0u);
}

}  // namespace
