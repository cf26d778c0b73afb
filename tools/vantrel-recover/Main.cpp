// vantrel-recover: one recovery run from the command line. It opens the
// source, runs the same Recovery the wizard runs, lists what was found and,
// given a destination, copies every found file there in its folder tree.
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "Arguments.h"
#include "Console.h"
#include "Context.h"
#include "FileCopier.h"
#include "Media.h"
#include "Recovery.h"
#include "SourceDevice.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "ToolPlatform.h"
#include "Trace.h"
#include "TypeDB.h"

namespace {

// Exit statuses.
constexpr int kDone = 0;
constexpr int kCopyFailed = 1;
constexpr int kCannotStart = 2;  // bad arguments, source or destination

constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr auto kFinishPoll = std::chrono::milliseconds(2);

int UsageError(const std::string& problem) {
  std::fprintf(stderr,
               "vantrel-recover: %s (usage: vantrel-recover [OPTIONS] SOURCE [DEST]; --help lists the options)\n",
               problem.c_str());
  return kCannotStart;
}

// dictionary stays null when the built-in types are to decide. False when a
// dictionary named on the command line cannot be loaded.
bool LoadDictionary(const RecoverOptions& options, std::unique_ptr<TypeDB>& dictionary, Console& console) {
  if (options.noDictionary) return true;
  const bool named = !options.dictionary.empty();
  const std::string path = named ? options.dictionary : ProgramFolder() + "FileIdentify.dict";
  auto loaded = std::make_unique<TypeDB>();
  if (loaded->Load(path)) {
    dictionary = std::move(loaded);
    return true;
  }
  std::string reason = loaded->ErrorText() != nullptr ? loaded->ErrorText() : "";
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  if (named) {
    console.Error("cannot load the dictionary " + path + ": " + reason);
    return false;
  }
  TraceMessage("Dictionary %s not loaded: %s", path, reason);
  console.Error("no FileIdentify.dict beside the program (" + reason + "); the built-in file types decide");
  return true;
}

// Makes the destination when it is missing; a plain file in its way fails
// it (the copy never deletes anything).
bool MakeDestination(Media& media, const std::string& destination, Console& console) {
  FileCopier maker(media, destination);
  const std::u16string folder = TargetText(destination);
  uint32_t error = 0;
  bool made = maker.EnsureFolders(folder + kTargetSeparator);
  if (!made) {
    error = maker.lastError;
  } else if (folder.size() > TargetRootLength(folder) + 1 &&
             PlatformTargetFileSystem().Find(folder) != EntryKind::kFolder) {
    // EnsureFolders leaves a folder it could not make to the file creation;
    // a root ("/", "E:\") is there or not, and is found by no search.
    made = PlatformTargetFileSystem().MakeFolder(folder, error);
  }
  if (made) return true;
  console.Error("cannot make the folder " + destination + ": " + SystemMessageText(error));
  return false;
}

bool RunRecovery(Recovery& recovery, Console& console) {
  recovery.setStatusList(
      std::make_unique<CallbackStatusList>([&console](const std::string& line) { console.Line(line); }));
  TheContext().CurrentRecovery = &recovery;
  if (!recovery.start()) {
    console.Error("cannot start the search");
    return false;
  }
  recovery.startEvent.set();
  // The end is looked for more often than the progress is shown, so that a
  // short run is not kept waiting for the next progress line.
  auto nextProgress = std::chrono::steady_clock::now() + kProgressInterval;
  while (!recovery.isFinished()) {
    std::this_thread::sleep_for(kFinishPoll);
    if (std::chrono::steady_clock::now() < nextProgress) continue;
    console.Progress(recovery.progressPercent());
    nextProgress += kProgressInterval;
  }
  recovery.waitUntilFinished();
  console.EndProgress();
  TheContext().CurrentRecovery = nullptr;
  return true;
}

// In the order of the copy step's list: depth first, folders not listed.
void CollectFiles(const File& folder, std::vector<const File*>& files) {
  for (const File* child = folder.firstChild; child != nullptr; child = child->next) {
    if (child->isVolumeLabel) continue;
    if (child->isDirectory) {
      CollectFiles(*child, files);
    } else {
      files.push_back(child);
    }
  }
}

void ListFiles(const std::vector<const File*>& files, Console& console) {
  for (const File* file : files)
    console.Line(Format("%s\t%I64u\t%s%s", file->pathText(0), file->size, file->isComplete ? "Complete" : "Incomplete",
                        file->isDeleted ? "\tDeleted" : ""));
}

int CopyFiles(Media& media, const std::vector<const File*>& files, const std::string& destination, Console& console) {
  FileCopier copier(media, destination);
  // A command line cannot resume where a copy stopped: an unreadable file
  // must not keep the ones after it from being copied.
  copier.continueAfterUnreadable = true;
  uint64_t total = 0;
  for (const File* file : files) total += file->size;
  copier.progress = [&](const File& record, const std::u16string& target, uint32_t error, uint64_t done) {
    if (error == 0) {
      console.Line(NarrowText(target));
    } else if (error == FileCopier::kErrorUnreadableSector) {
      console.Error(record.pathText(0) + ": " + SystemMessageText(error) + " What could be read is in " +
                    NarrowText(target));
    } else {
      console.Error(record.pathText(0) + ": " + SystemMessageText(error));
    }
    console.Progress(total == 0 ? 100 : static_cast<uint32_t>(done * 100 / total));
  };
  uint32_t copied = 0;
  const bool allCopied = copier.CopyFiles(files, copied);
  console.EndProgress();
  console.Line(LoadText(kTextFilesCopied, copied));
  return allCopied ? kDone : kCopyFailed;
}

int Recover(const RecoverOptions& options, Console& console) {
  std::unique_ptr<TypeDB> dictionary;
  if (!LoadDictionary(options, dictionary, console)) return kCannotStart;
  TheContext().dictionary = dictionary.get();

  Media media;
  std::string devicePath;
  if (!OpenSource(media, options.source, devicePath)) {
    console.Error("cannot open " + options.source + ": " + SystemMessageText(media.lastError));
    return kCannotStart;
  }
  TheContext().CurrentMedia = &media;

  const std::string destination = options.destination.empty() ? std::string() : AbsolutePath(options.destination);
  if (!destination.empty()) {
    if (FolderOnSourceDevice(destination, devicePath)) {
      console.Error(LoadText(kTextDestinationOnSource, destination));
      return kCannotStart;
    }
    if (!MakeDestination(media, destination, console)) return kCannotStart;
  }

  std::vector<const File*> files;
  Recovery recovery(media, dictionary.get(), options.recovery);
  if (!RunRecovery(recovery, console)) return kCannotStart;
  CollectFiles(recovery.root, files);
  ListFiles(files, console);
  return destination.empty() ? kDone : CopyFiles(media, files, destination, console);
}

}  // namespace

int main(int argc, char** argv) {
  RecoverOptions options;
  std::string problem;
  if (!ParseArguments(argc, argv, options, problem)) return UsageError(problem);
  if (options.help) {
    std::fputs(kUsage, stdout);
    return kDone;
  }
  if (!LoadLanguageTexts()) {
    std::fputs("vantrel-recover: 1033.DLL, the language module, is missing beside the program\n", stderr);
    return kCannotStart;
  }
  TraceMessage(nullptr);
  TraceMessage("vantrel-recover %s", ProductVersionText(nullptr));
  Console console(!options.quiet && IsTerminal(stderr));
  const int status = Recover(options, console);
  TheContext().CurrentMedia = nullptr;
  TheContext().dictionary = nullptr;
  return status;
}
