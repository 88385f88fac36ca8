#pragma once
// The flyer compiler: a manifest in, a flyer file out, written through the same block writer
// the rest of the project uses.

#include <filesystem>
#include <string>

#include "document/FlyerDescription.h"
#include "elements/TTextMeasurer.h"
#include "tools/authoring/Manifest.h"

namespace qrl {

// Turns a checked manifest into the description of its flyer file: element ids and occurrence
// numbers assigned in the author's order, pictures coded at their largest placement, sounds
// read or synthesised (and ADPCM-coded when asked), texts laid out for their placements with
// the measurer. Raises EManifestError, naming the element, for a file that cannot be used.
TFlyerDesc CompileManifest(const TManifest& manifest, const TTextMeasurer& measurer);

// Reads the manifest, compiles it and writes the flyer to outputPath; a name ending in ".exe"
// packs it behind the kickstarter at kickstarterPath (EQuireleafException "Could not find
// Kickstarter application" when there is none). Nothing is written when the manifest has a
// mistake (EManifestError) or anything fails, and an existing file at outputPath then stays
// as it was.
void BuildFlyer(const std::filesystem::path& manifestPath, const std::string& outputPath,
                const TTextMeasurer& measurer, const std::string& kickstarterPath);

}  // namespace qrl
