#pragma once
// The nav bar's speed button: with QuireBehavior and a glyph strip of four images side by side it
// paints the image of its state (up, disabled, down, exclusive) centred on itself; a right click
// on a button with a help context offers "&What's this?".

#include <QPixmap>
#include <QToolButton>

class QMenu;

namespace qrl {

class TWSpeedButton : public QToolButton {
  Q_OBJECT
  Q_PROPERTY(bool QuireBehavior READ QuireBehavior WRITE SetQuireBehavior)

 public:
  enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };

  explicit TWSpeedButton(QWidget* parent = nullptr);

  bool QuireBehavior() const { return quireBehavior_; }
  void SetQuireBehavior(bool on);
  // A strip of four images side by side (device pixel ratio set on the pixmap).
  void SetGlyph(const QPixmap& strip);
  const QPixmap& Glyph() const { return glyph_; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }

  // The image index painted now: 1 when disabled, else the button's state.
  int GlyphIndex() const;
  // The "What's this?" menu once it has been created by a right click.
  QMenu* HelpMenu() const { return helpMenu_; }

 signals:
  void HelpRequested(int helpContext);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool StripUsable() const;

  bool quireBehavior_ = true;
  QPixmap glyph_;
  int helpContext_ = 0;
  QMenu* helpMenu_ = nullptr;
};

}  // namespace qrl
