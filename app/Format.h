// The one formatter of the program: the format syntax of the Windows function
// wvsprintfA, on every platform, for the trace, the language texts and the log.
//
// Conversions: %s %c %d %i %u %x %X and %%; size prefixes "l" (32 bits, as a
// Windows long) and "I64" (64 bits); flags "-", "0" and "#"; width and
// precision (for a string its greatest length, for a number its least number
// of digits). No floating point. At most 1023 characters come out; the rest is
// cut. Any other character after "%" is copied as it stands.
//
// Values are typed: a number given to %s shows "(null)", a text given to a
// number conversion counts as 0, and a missing value as 0 or "(null)", so a
// template that does not match its values never reads beyond them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

constexpr std::size_t kFormatLimit = 1023;

class FormatArg {
 public:
  template <typename T, typename std::enable_if<std::is_integral<T>::value, int>::type = 0>
  FormatArg(T value)  // NOLINT: implicit, so that callers write plain values
      : isText_(false),
        bits_(std::is_signed<T>::value ? static_cast<uint64_t>(static_cast<int64_t>(value))
                                       : static_cast<uint64_t>(value)) {}
  FormatArg(const char* text) : isText_(true), text_(text) {}  // NOLINT
  FormatArg(char* text) : isText_(true), text_(text) {}        // NOLINT
  FormatArg(const std::string& text) : isText_(true), text_(text.c_str()) {}  // NOLINT

  bool isText() const { return isText_; }
  const char* text() const { return isText_ ? text_ : nullptr; }
  uint64_t bits() const { return isText_ ? 0 : bits_; }

 private:
  bool isText_;
  uint64_t bits_ = 0;
  const char* text_ = nullptr;
};

// Formats with the values args[0 .. count-1]; format may be null (empty text).
std::string FormatText(const char* format, const FormatArg* args, std::size_t count);

template <typename... Args>
std::string Format(const char* format, const Args&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
  return FormatText(format, list, sizeof...(Args));
}
