#include "format/CodePage.h"

#include <array>
#include <cstdio>

namespace qrl {

namespace {

// The characters of the bytes 0x80 to 0x9F; the undefined ones keep their C1 control.
constexpr std::array<char32_t, 32> kHighBytes{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool Printable(char32_t c) {
  return c >= 0x20 && !(c >= 0x7F && c < 0xA0) && !(c >= 0xD800 && c < 0xE000) && c != 0xFFFD && c <= 0x10FFFF;
}

// Why a character cannot be stored: the code page lacks it, or (character 0) every stored
// text ends at it.
std::string Unstorable(char32_t character) {
  return DescribeCharacter(character) + (character == 0 ? " cannot be stored: a flyer text ends at it."
                                                        : " cannot be stored: flyer texts are Windows-1252.");
}

}  // namespace

EUnstorableText::EUnstorableText(char32_t character)
    : EQuireleafException("The character " + Unstorable(character)), character_(character) {}

EUnstorableText::EUnstorableText(char32_t character, const std::string& where)
    : EQuireleafException(where + ": the character " + Unstorable(character)), character_(character) {}

char32_t Cp1252ToUnicode(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kHighBytes[byte - 0x80] : byte; }

std::optional<char> UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighBytes.size(); ++i)
    if (kHighBytes[i] == c) return static_cast<char>(0x80 + i);
  return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (const char b : cp1252) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(b)));
  return out;
}

char32_t NextUtf8Character(std::string_view utf8, std::size_t& at) {
  constexpr char32_t kMalformed = 0xFFFD;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(at++);
  const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
  if (extra < 0) return kMalformed;
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (at >= utf8.size() || (byte(at) & 0xC0) != 0x80) return kMalformed;
    c = (c << 6) | (byte(at++) & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are malformed too.
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return kMalformed;
  return c;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8, char32_t* unstorable) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = NextUtf8Character(utf8, at);
    const auto b = UnicodeToCp1252(c);
    if (!b) {
      if (unstorable) *unstorable = c;
      return std::nullopt;
    }
    bytes.push_back(*b);
  }
  return bytes;
}

std::string EncodeCp1252(std::string_view utf8) {
  char32_t unstorable = 0;
  auto bytes = Utf8ToCp1252(utf8, &unstorable);
  if (!bytes) throw EUnstorableText(unstorable);
  return std::move(*bytes);
}

std::string CharacterCode(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return code;
}

std::string DescribeCharacter(char32_t c) {
  std::string text = CharacterCode(c);
  if (!Printable(c)) return text;
  text += " \"";
  AppendUtf8(text, c);
  return text + "\"";
}

}  // namespace qrl
