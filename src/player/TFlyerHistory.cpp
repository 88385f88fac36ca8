#include "player/TFlyerHistory.h"

#include <algorithm>

namespace qrl {

void TFlyerHistory::Add(const QString& path) {
  for (int i = 0; i < entries_.size(); ++i) {
    if (entries_[i].compare(path, Qt::CaseInsensitive) == 0) {
      entries_.move(i, 0);
      return;
    }
  }
  if (entries_.size() >= kHistoryEntries) entries_.removeLast();
  entries_.prepend(path);
}

QString TFlyerHistory::MenuCaption(int index) const {
  // Windows paths in old settings keep their backslashes: the name follows the last separator.
  QString name = entries_.value(index);
  name = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
  // A literal ampersand in the name would otherwise mark a mnemonic.
  return QStringLiteral("&%1 %2").arg(index + 1).arg(name.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

}  // namespace qrl
