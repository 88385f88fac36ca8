#include "elements/QtCodePage.h"

#include "format/CodePage.h"

namespace qrl {

QString FromCp1252(std::string_view cp1252) {
  QString text;
  text.reserve(static_cast<qsizetype>(cp1252.size()));
  // Every character of the code page lies in the basic plane: one UTF-16 unit a byte.
  for (const char b : cp1252) text.append(QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(b)))));
  return text;
}

std::string ToCp1252(const QString& text) {
  // A lone surrogate becomes U+FFFD on the way to UTF-8, which is refused like any other.
  return EncodeCp1252(text.toStdString());
}

}  // namespace qrl
