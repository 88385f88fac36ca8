#pragma once
// The flyers shown last, newest first, at most four; paths are matched without regard to case.

#include <QString>
#include <QStringList>

namespace qrl {

inline constexpr int kHistoryEntries = 4;

class TFlyerHistory {
 public:
  // Puts the path at the top: a new path drops the oldest entry of a full list, a known one
  // (in any letter case) moves up and keeps the letter case it was stored with.
  void Add(const QString& path);
  const QStringList& Entries() const { return entries_; }
  bool Empty() const { return entries_.isEmpty(); }

  // The File menu caption of entry `index` (0-based): "&1 name" with the file name alone.
  QString MenuCaption(int index) const;

 private:
  QStringList entries_;
};

}  // namespace qrl
