#pragma once
// Windows-1252, the code page of every flyer string, and Unicode (UTF-8 at this layer). The one
// converter of the program: decoding never fails; encoding refuses, naming it, the first
// character the code page cannot store, so no writer stores a silent substitute.

#include <optional>
#include <string>
#include <string_view>

#include "format/QuireleafException.h"

namespace qrl {

// Text that cannot be stored in the code page.
class EUnstorableText : public EQuireleafException {
 public:
  explicit EUnstorableText(char32_t character);
  // The same, saying where the character stands ("note.txt, line 3").
  EUnstorableText(char32_t character, const std::string& where);
  char32_t Character() const noexcept { return character_; }
  const char* ClassName() const noexcept override { return "EUnstorableText"; }

 private:
  char32_t character_;
};

// The Unicode character a byte stands for. The five bytes the code page leaves undefined
// stand for the C1 controls of the same number, so every byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char byte);
// The byte that stands for c; nothing when the code page has none.
std::optional<char> UnicodeToCp1252(char32_t c);

std::string Cp1252ToUtf8(std::string_view cp1252);

// The next character of UTF-8 text at `at`, which moves past it; U+FFFD for a malformed or
// truncated sequence (which no code page stores).
char32_t NextUtf8Character(std::string_view utf8, std::size_t& at);

// The Windows-1252 bytes of UTF-8 text; nothing when a character cannot be stored, the first
// such character then going to *unstorable.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8, char32_t* unstorable = nullptr);
// The same, raising EUnstorableText for the first character that cannot be stored.
std::string EncodeCp1252(std::string_view utf8);

// "U+20AC" for c.
std::string CharacterCode(char32_t c);
// How a message shows c: its code, and the character itself unless it is a control, a
// surrogate or the replacement for malformed input ("U+4E2D \"中\"", "U+0009").
std::string DescribeCharacter(char32_t c);

}  // namespace qrl
