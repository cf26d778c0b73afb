#include "Format.h"

namespace {

struct Spec {
  bool leftAlign = false;
  bool hexPrefix = false;
  bool zeroPad = false;
  bool is64 = false;
  std::size_t width = 0;
  std::size_t precision = 0;  // 0 means none, as for wvsprintfA
};

class Output {
 public:
  void put(char c) {
    if (text_.size() < kFormatLimit) text_ += c;
  }
  void put(const std::string& s) {
    for (char c : s) put(c);
  }
  void pad(std::size_t n, char c) {
    for (std::size_t i = 0; i < n; ++i) put(c);
  }
  bool full() const { return text_.size() >= kFormatLimit; }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

std::size_t ReadNumber(const char*& p) {
  std::size_t n = 0;
  while (*p >= '0' && *p <= '9') {
    if (n < 100000) n = n * 10 + static_cast<std::size_t>(*p - '0');
    ++p;
  }
  return n;
}

// Flags come in a fixed order, each at most once: "-", then "#", then "0".
void ReadSpec(const char*& p, Spec& spec) {
  if (*p == '-') {
    spec.leftAlign = true;
    ++p;
  }
  if (*p == '#') {
    spec.hexPrefix = true;
    ++p;
  }
  if (*p == '0') {
    spec.zeroPad = true;
    ++p;
  }
  spec.width = ReadNumber(p);
  if (*p == '.') {
    ++p;
    spec.precision = ReadNumber(p);
  }
  if (*p == 'l' || *p == 'h') {
    ++p;
  } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
    spec.is64 = true;
    p += 3;
  } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
    p += 3;
  }
}

std::string Digits(uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

// The number text carries its sign; precision and zero padding count it in,
// and the "0x" prefix stands outside the width, as wvsprintfA lays them out.
void PutNumber(Output& out, const Spec& spec, char type, uint64_t bits) {
  std::string number;
  if (type == 'd' || type == 'i') {
    int64_t value = spec.is64 ? static_cast<int64_t>(bits) : static_cast<int32_t>(static_cast<uint32_t>(bits));
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    number = (value < 0 ? "-" : "") + Digits(magnitude, 10, false);
  } else {
    uint64_t value = spec.is64 ? bits : static_cast<uint32_t>(bits);
    bool hex = type == 'x' || type == 'X';
    number = Digits(value, hex ? 16 : 10, type == 'X');
  }
  std::size_t precision = spec.precision < number.size() ? number.size() : spec.precision;
  std::size_t width = spec.width < precision ? precision : spec.width;
  if (spec.zeroPad && !spec.leftAlign && width > precision) precision = width;

  if (!spec.leftAlign) out.pad(width - precision, ' ');
  if (spec.hexPrefix && type == 'x') out.put("0x");
  if (spec.hexPrefix && type == 'X') out.put("0X");
  std::size_t start = 0;
  if (number[0] == '-') {
    out.put('-');
    start = 1;
  }
  out.pad(precision - number.size(), '0');
  out.put(number.substr(start));
  if (spec.leftAlign) out.pad(width - precision, ' ');
}

void PutText(Output& out, const Spec& spec, const std::string& text) {
  std::size_t length = text.size();
  if (spec.precision > 0 && length > spec.precision) length = spec.precision;
  std::size_t fill = spec.width > length ? spec.width - length : 0;
  if (!spec.leftAlign) out.pad(fill, ' ');
  out.put(text.substr(0, length));
  if (spec.leftAlign) out.pad(fill, ' ');
}

}  // namespace

std::string FormatText(const char* format, const FormatArg* args, std::size_t count) {
  Output out;
  if (format == nullptr) return out.take();
  std::size_t next = 0;
  auto take = [&]() -> const FormatArg* { return next < count ? &args[next++] : nullptr; };

  const char* p = format;
  while (*p != '\0' && !out.full()) {
    if (*p != '%') {
      out.put(*p++);
      continue;
    }
    ++p;
    if (*p == '%') {
      out.put(*p++);
      continue;
    }
    Spec spec;
    ReadSpec(p, spec);
    char type = *p;
    if (type == 's') {
      const FormatArg* arg = take();
      const char* text = arg != nullptr ? arg->text() : nullptr;
      PutText(out, spec, text != nullptr ? text : "(null)");
    } else if (type == 'c') {
      const FormatArg* arg = take();
      char c = static_cast<char>(arg != nullptr ? arg->bits() : 0);
      if (c == '\0') break;  // the platform's text ends at a NUL character
      spec.precision = 0;
      PutText(out, spec, std::string(1, c));
    } else if (type == 'd' || type == 'i' || type == 'u' || type == 'x' || type == 'X') {
      const FormatArg* arg = take();
      PutNumber(out, spec, type, arg != nullptr ? arg->bits() : 0);
    } else {
      // Not a conversion: only the width shows, and the character is read as text.
      out.pad(spec.width, ' ');
      continue;
    }
    ++p;
  }
  return out.take();
}
