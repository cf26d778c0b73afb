// A text of at most N characters held in place. Assigning a longer text cuts
// it, so a value never grows past the limit that the rest of the program
// relies on (the sizes of the program-wide context).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

template <std::size_t N>
class BoundedText {
 public:
  BoundedText() { text_[0] = '\0'; }
  BoundedText(const char* text) { assign(text); }  // NOLINT: implicit on purpose

  void assign(const char* text) {
    std::size_t n = 0;
    if (text != nullptr) {
      while (n < N && text[n] != '\0') ++n;
      std::memmove(text_, text, n);  // may be our own text
    }
    text_[n] = '\0';
  }
  void assign(const std::string& text) { assign(text.c_str()); }
  BoundedText& operator=(const char* text) {
    assign(text);
    return *this;
  }
  BoundedText& operator=(const std::string& text) {
    assign(text);
    return *this;
  }

  const char* c_str() const { return text_; }
  std::string str() const { return text_; }
  std::size_t size() const { return std::strlen(text_); }
  bool empty() const { return text_[0] == '\0'; }
  static constexpr std::size_t capacity() { return N; }

 private:
  char text_[N + 1];
};
