#pragma once
// Picture files on disk for the tools: reading PNG, JPEG and BMP into the packed bitmap, and
// writing a packed bitmap as PNG, BMP or PPM.

#include <QImage>
#include <string>

#include "format/Dib.h"

namespace qrl {

// Reads a PNG, JPEG or BMP file (told apart by content). Transparent pixels are composited over
// white. A file that cannot be opened raises EFileError; one that is no readable picture of
// those kinds raises EInvalidGraphic; one too large for the player's block cap "Out of memory.".
TDib ReadPictureFile(const std::string& path);

// True for the extensions WritePictureFile knows: .png, .bmp and .ppm (any case).
bool IsPictureFileName(const std::string& path);

// Writes the picture in the format the extension names: .png, .bmp (the packed bitmap behind a
// file header), or .ppm (binary P6). The bytes go to a temporary name beside the target that
// replaces it only once complete, so a failure never leaves half a file. Raises EFileError.
void WritePictureFile(const TDib& picture, const std::string& path);

// The bridge to Qt's image classes: a copy as 24-bit BGR (a null image for an empty picture),
// and back (transparent pixels over white; "Out of memory." beyond the player's block cap).
QImage DibToImage(const TDib& picture);
TDib ImageToDib(const QImage& image);

}  // namespace qrl
