#pragma once
// The FIF decoder library, bound by name at run time. An object loads the library and looks up
// all seventeen entry points; destroying it releases the library. The loader keeps one for a
// whole page build so that the binding around each single decode (DecodeFif) stays cheap.

#include <filesystem>
#include <optional>
#include <string>

#include "fif/FifApi.h"

namespace qrl {

// Where the library is taken from: `configured` (the value of $QRL_FIF_LIBRARY) when set and not
// empty; else QRL_FIF_LIBRARY_NAME in `programFolder` when that file exists; else the plain name,
// left to the system's search path.
std::string LocateFifLibrary(const char* configured, const std::filesystem::path& programFolder);
// The same for this process: $QRL_FIF_LIBRARY and the folder of the running executable.
std::string LocateFifLibrary();

// The seventeen entry points as the library exports them.
struct TFifEntryPoints {
  decltype(&::OpenDecompressor) OpenDecompressor = nullptr;
  decltype(&::SetFIFBuffer) SetFIFBuffer = nullptr;
  decltype(&::GetOriginalResolution) GetOriginalResolution = nullptr;
  decltype(&::GetPhysicalDimensions) GetPhysicalDimensions = nullptr;
  decltype(&::SetOutputResolution) SetOutputResolution = nullptr;
  decltype(&::SetOutputFormat) SetOutputFormat = nullptr;
  decltype(&::DecompressToBuffer) DecompressToBuffer = nullptr;
  decltype(&::ClearFIFBuffer) ClearFIFBuffer = nullptr;
  decltype(&::CloseDecompressor) CloseDecompressor = nullptr;
  decltype(&::SetColorTableFormat) SetColorTableFormat = nullptr;
  decltype(&::SetOutputColorTable) SetOutputColorTable = nullptr;
  decltype(&::GetOutputColorTable) GetOutputColorTable = nullptr;
  decltype(&::SetProgressiveFIFBuffer) SetProgressiveFIFBuffer = nullptr;
  decltype(&::SetProgressiveStep) SetProgressiveStep = nullptr;
  decltype(&::StartProgressiveDecompression) StartProgressiveDecompression = nullptr;
  decltype(&::ProgressiveDecompress) ProgressiveDecompress = nullptr;
  decltype(&::EndProgressiveDecompression) EndProgressiveDecompression = nullptr;
};

class TFifLibrary : public TFifEntryPoints {
 public:
  // Binds the library LocateFifLibrary() names. A library that cannot be loaded, or that lacks
  // an entry point, raises EQuireleafException naming the library or entry point and the
  // system's reason.
  TFifLibrary();
  explicit TFifLibrary(const std::string& path);
  ~TFifLibrary();
  TFifLibrary(TFifLibrary&& other) noexcept;
  TFifLibrary& operator=(TFifLibrary&& other) noexcept;
  TFifLibrary(const TFifLibrary&) = delete;
  TFifLibrary& operator=(const TFifLibrary&) = delete;

  // Keeps the library loaded for a page build when it can be bound. A flyer without pictures
  // must still open without the library, so a failure here is left for the first decode to report.
  static std::optional<TFifLibrary> Hold();

  const std::string& Path() const { return path_; }

 private:
  template <class F>
  void LookUp(F& entry, const char* name);
  void Release() noexcept;

  std::string path_;
  void* handle_ = nullptr;
};

}  // namespace qrl
