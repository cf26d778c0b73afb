#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "Context.h"
#include "Format.h"
#include "System.h"
#include "Utilities.h"

#ifndef VANTREL_PRODUCT_VERSION
#define VANTREL_PRODUCT_VERSION "0.0.0"
#endif

const char kPathSeparator = '/';

namespace {

// The engine reports Windows error codes on every platform; these are the
// ones it produces, with the wording the user knows from Windows.
struct ErrorText {
  uint32_t code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {23, "Data error (cyclic redundancy check)."},
    {25, "The drive cannot locate a specific area or track on the disk."},
    {32, "The process cannot access the file because it is being used by another process."},
    {39, "The disk is full."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {183, "Cannot create a file when that file already exists."},
    {1117, "The request could not be performed because of an I/O device error."},
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFolder(const char* below) {
  std::string home = Environment("HOME");
  return home.empty() ? std::string() : home + "/" + below;
}

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
  std::string folder = Environment(variable);
  return folder.empty() ? HomeFolder(fallbackBelowHome) : folder;
}

}  // namespace

std::string SystemMessageText(uint32_t code) {
  for (const ErrorText& entry : kErrorTexts)
    if (entry.code == code) return entry.text;
  return Format("Error %u.", code);
}

std::string GetSpecialFolder(int folder) {
  std::string path;
  switch (folder) {
    case kFolderDesktop: path = XdgFolder("XDG_DESKTOP_DIR", "Desktop"); break;
    case kFolderPersonal: path = XdgFolder("XDG_DOCUMENTS_DIR", "Documents"); break;
    case kFolderAppData: path = XdgFolder("XDG_CONFIG_HOME", ".config"); break;
    case kFolderLocalAppData: path = XdgFolder("XDG_DATA_HOME", ".local/share"); break;
    default: break;
  }
  if (!path.empty() && path.back() != kPathSeparator) path += kPathSeparator;
  return path;
}

std::string ProductVersionText(void*) { return VANTREL_PRODUCT_VERSION; }

uint32_t ModuleDllVersion(const char*) { return 0; }

std::string GroupNumber(const std::string& digits) { return GroupDigits(digits, TheContext().NumberFormat); }

LocaleNumberParts UserNumberParts() { return LocaleNumberParts(); }

std::string NarrowText(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out += '?';  // a lone surrogate
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

CalendarTime LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CalendarTime time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  return time;
}

bool FormatShortDate(const CalendarTime& time, std::string& text) {
  text = Format("%02d/%02d/%04d", time.month, time.day, time.year);
  return true;
}

bool FormatTimeOfDay(const CalendarTime& time, std::string& text) {
  text = Format("%02d:%02d:%02d", time.hour, time.minute, time.second);
  return true;
}
