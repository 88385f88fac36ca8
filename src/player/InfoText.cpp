#include "player/InfoText.h"

#include "elements/QtTextMeasurer.h"

namespace qrl {

namespace {

constexpr int kKeyColumn = 16;

}  // namespace

QStringList InfoLines(const TTextSections& sections) {
  QStringList lines;
  for (std::size_t s = 1; s < sections.size(); ++s) {
    const TTextSection& section = *sections[s];
    if (s > 1) lines << QString();
    lines << FromCp1252(section.Name).toUpper();
    bool afterSeveral = false;
    for (int k = 0; k < section.Count(); ++k) {
      const QString key = FromCp1252(section.Key(k)) + QLatin1Char(':');
      const TStrings& value = section.Value(k);
      if (value.size() < 2) {
        if (afterSeveral) lines << QString();
        afterSeveral = false;
        const QString first = value.empty() ? QString() : FromCp1252(value.front());
        lines << key.left(kKeyColumn).leftJustified(kKeyColumn) + QLatin1Char(' ') + first;
      } else {
        lines << key;
        for (const std::string& line : value) lines << QStringLiteral("  ") + FromCp1252(line);
        afterSeveral = true;
      }
    }
  }
  return lines;
}

}  // namespace qrl
