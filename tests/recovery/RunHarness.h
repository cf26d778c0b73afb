// A whole recovery run on an in-memory medium, driven as the status step
// drives it: options set, the status list handed over, the start event set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "File.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "PlacedMedium.h"
#include "Recovery.h"

class TypeDB;

class RunHarness {
 public:
  explicit RunHarness(std::vector<uint8_t> image, TypeDB* dictionary = nullptr);
  ~RunHarness() { run.reset(); }  // the worker goes before the medium it reads

  // False when the medium cannot be opened.
  bool opened() const { return opened_; }
  // Runs to the end; false when the run has not ended after 10 seconds,
  // which only a hang takes (the run is then ended).
  bool Run();

  // The record at a path as pathText shows it ("\DCIM\IMG_0001.JPG"), or null.
  const File* Find(const std::string& path) const;
  // Every record of the tree, depth first.
  std::vector<const File*> Records() const;
  // The record's data as readData gives it.
  std::vector<uint8_t> Data(const File& record);
  bool Logged(const std::string& line) const;

  std::shared_ptr<MemoryMedium> medium;
  std::unique_ptr<Recovery> run;   // set its options before Run()
  std::vector<std::string> lines;  // the status list

 private:
  MemoryDeviceOpener devices_;
  std::unique_ptr<Media> media_;
  bool opened_ = false;
};
