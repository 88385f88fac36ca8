#pragma once
// A page of a flyer as the exporters see it: over the picture the player's page view shows, in
// flyer pixels, the click areas as links, the texts line by line, and the sounds.

#include <QImage>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "elements/TTextMeasurer.h"

namespace qrl {

class TFlyer;
class TCKbOccSound;

enum class TLinkTarget { Page, Back, Forward, Close, Web, SoundOnly };

struct TExportedLink {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Ellipse = false;
  TLinkTarget Target = TLinkTarget::SoundOnly;
  int Page = 0;          // for TLinkTarget::Page
  std::string Address;   // for TLinkTarget::Web: a safe address, UTF-8
  const TCKbOccSound* Sound = nullptr;
};

struct TExportedLine {
  int Left = 0;  // of the text, relative to the text's box
  int Top = 0;   // of the line cell, relative to the text's box
  int Width = 0; // of the text as the renderer measures it
  QString Text;
};

struct TExportedText {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Scrolling = false;  // shown in a scrolling box of its own, not in the page picture
  TFontSpec Font;          // Height at the flyer's own size
  QString Family;          // the font family the renderer draws with
  int LineHeight = 0;
  int Ascent = 0;
  std::uint32_t BackColour = 0;
  bool Opaque = false;
  bool Framed = false;
  int Alignment = 0;
  std::vector<TExportedLine> Lines;  // the lines drawn, top first (for scrolling texts all lines)
};

struct TExportedPage {
  int Index = 0;
  std::vector<TExportedLink> Links;   // bottom first, as the page stacks them
  std::vector<TExportedText> Texts;
  const TCKbOccSound* Sound = nullptr;
};

// Describes page index (1 ... pages - 1) of a fully loaded flyer. Web links whose address is not
// safe are left out; their addresses are appended to dropped (as UTF-8). Sets the flyer area to
// the flyer's own size.
TExportedPage ExportPage(TFlyer& flyer, int index, std::vector<std::string>& dropped);

// The page as the player's page view draws it, at scale times the flyer's size. Leaves the flyer
// area at the flyer's own size.
QImage RenderPageAt(TFlyer& flyer, int index, int scale);

// The flyer's address of a colour as "#RRGGBB".
std::string HexColour(std::uint32_t colour);

}  // namespace qrl
