#include "tools/authoring/PictureCoding.h"

#include "fif/FifEncoder.h"
#include "imaging/CheckMemory.h"
#include "tools/common/PictureFile.h"

namespace qrl {

std::vector<std::uint8_t> CodePicture(const std::filesystem::path& file, int width, int height, int quality,
                                      std::optional<TColor> key) {
  TDib picture = ReadPictureFile(file.string());
  if (picture.Width() != width || picture.Height() != height) {
    CheckedDibSize(width, height);
    picture = ImageToDib(DibToImage(picture).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
  TFifEncodeOptions options;
  options.quality = quality;
  if (key)
    options.key = TFifKeyColour{static_cast<std::uint8_t>(*key), static_cast<std::uint8_t>(*key >> 8),
                                static_cast<std::uint8_t>(*key >> 16)};
  return EncodeFif(picture, options);
}

}  // namespace qrl
