#pragma once
// Flyer strings (Windows-1252 bytes) to and from Qt's Unicode strings, through the program's
// one code-page converter.

#include <QString>
#include <string>
#include <string_view>

namespace qrl {

QString FromCp1252(std::string_view cp1252);
// Raises EUnstorableText, naming the first character the code page cannot store.
std::string ToCp1252(const QString& text);

}  // namespace qrl
