// Writes the seed corpus of fif_decoder_fuzzer: small pictures of several shapes and kinds,
// encoded at a few qualities, and the stored streams of earlier versions. Usage:
// make_fif_seeds OUTPUT_DIR

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fif/FifEncoder.h"
#include "fif/FifTestPictures.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  int n = 0;
  for (auto [w, h] : {std::pair{1, 1}, {5, 3}, {16, 16}, {37, 21}, {64, 48}})
    for (bool grey : {false, true})
      for (int quality : {10, 75, 100}) {
        qrl::TFifEncodeOptions options;
        options.quality = quality;
        if (n % 3 == 0) options.physicalSize = qrl::TFifPhysicalSize{w, h, n % 2 ? 'm' : '"', -n % 4};
        // Keyed seeds take the colour of the synthetic picture's disc, so their key regions have edges.
        if (n % 4 == 1) options.key = qrl::TFifKeyColour{static_cast<std::uint8_t>(grey ? 200 : 120), 200, 90};
        const std::vector<std::uint8_t> fif = qrl::EncodeFif(qrl::test::SyntheticPicture(w, h, grey), options);
        std::ofstream(dir / ("seed" + std::to_string(n++) + ".fif"), std::ios::binary)
            .write(reinterpret_cast<const char*>(fif.data()), static_cast<std::streamsize>(fif.size()));
      }
  for (const char* name : {"version1-colour.fif", "version1-grey.fif", "version2-colour.fif", "version2-grey.fif",
                           "version3-colour.fif", "version3-grey.fif"})
    std::filesystem::copy_file(std::filesystem::path(QRL_FIF_DATA) / name, dir / name,
                               std::filesystem::copy_options::overwrite_existing);
  return 0;
}
