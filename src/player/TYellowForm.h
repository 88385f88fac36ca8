#pragma once
// The note window: a small yellow tool window over the player holding the reader's note. It
// keeps its place relative to the main window, follows that window when it moves, and only
// hides when its close box is used.

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include "document/NoteBlock.h"

class QPlainTextEdit;
class QPushButton;

namespace qrl {

class TYellowForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDefaultWidth = 277;
  static constexpr int kDefaultHeight = 139;

  // owner: the main window; the note stays above it and moves with it.
  explicit TYellowForm(QWidget* owner);

  QPlainTextEdit* memNote;
  QWidget* pnlButtons;  // the "&OK" panel; hidden in the player
  QPushButton* btnOk;

  // Set by every change of the text; cleared by the window's user after a load or a save.
  bool NoteModified = false;

  // The memo's lines, without the trailing empty line a final line end leaves.
  QStringList Lines() const;
  // Replaces the text without counting as a change.
  void SetLines(const QStringList& lines);

  // Places the window at bounds, taken relative to the owner's top-left corner.
  void PlaceRelativeToOwner(const TNoteBounds& bounds);
  // The window's place relative to the owner's top-left corner, as PlaceRelativeToOwner takes it.
  TNoteBounds BoundsRelativeToOwner() const;

 signals:
  // The close box was used; the window is hidden already.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* owner_;
  QPoint ownerPosition_;
};

}  // namespace qrl
