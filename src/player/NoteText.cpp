#include "player/NoteText.h"

#include <QStringConverter>

#include "elements/QtTextMeasurer.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

// One character (a surrogate pair counts as one) as its single code-page byte, or nothing.
std::optional<char> StoredByte(const QString& character) {
  // The stored text ends at a zero byte, so U+0000 cannot be kept either.
  if (character == QChar(u'\0')) return std::nullopt;
  QStringEncoder encoder("windows-1252");
  const QByteArray bytes = encoder.encode(character);
  if (encoder.hasError() || bytes.size() != 1 || FromCp1252(std::string_view(bytes.constData(), 1)) != character)
    return std::nullopt;
  return bytes.front();
}

QString Described(const QString& character) {
  const char32_t code = character.toUcs4().value(0);
  const QString hex = QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
  return QStringLiteral("\"%1\" (U+%2)").arg(character, hex);
}

}  // namespace

QStringList LinesFromCp1252(const TStrings& lines) {
  QStringList result;
  result.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) result << FromCp1252(line);
  return result;
}

TStrings NoteLinesToCp1252(const QStringList& lines) {
  TStrings result;
  QStringList unstorable;
  for (const QString& line : lines) {
    std::string bytes;
    for (qsizetype i = 0; i < line.size();) {
      const qsizetype length = line.at(i).isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
      const QString character = line.mid(i, length);
      i += length;
      if (const std::optional<char> byte = StoredByte(character))
        bytes.push_back(*byte);
      else if (!unstorable.contains(character))
        unstorable << character;
    }
    result.push_back(std::move(bytes));
  }
  if (!unstorable.isEmpty()) {
    QStringList described;
    for (const QString& character : unstorable) described << Described(character);
    throw EQuireleafException(
        ("The note cannot be saved: a flyer cannot store these characters: " + described.join(QStringLiteral(", ")) +
         ". Remove or replace them, then save again.")
            .toStdString());
  }
  return result;
}

}  // namespace qrl
