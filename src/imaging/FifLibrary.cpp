#include "imaging/FifLibrary.h"

#include <dlfcn.h>

#include <cstdlib>
#include <system_error>
#include <utility>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

std::string LastDlError() {
  const char* reason = ::dlerror();
  return reason ? reason : "unknown reason";
}

}  // namespace

std::string LocateFifLibrary(const char* configured, const std::filesystem::path& programFolder) {
  if (configured && *configured) return configured;
  if (!programFolder.empty()) {
    std::error_code ec;
    const auto beside = programFolder / QRL_FIF_LIBRARY_NAME;
    if (std::filesystem::is_regular_file(beside, ec)) return beside.string();
  }
  return QRL_FIF_LIBRARY_NAME;
}

std::string LocateFifLibrary() {
  std::error_code ec;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
  return LocateFifLibrary(std::getenv("QRL_FIF_LIBRARY"), ec ? std::filesystem::path() : program.parent_path());
}

TFifLibrary::TFifLibrary() : TFifLibrary(LocateFifLibrary()) {}

TFifLibrary::TFifLibrary(const std::string& path) : path_(path) {
  ::dlerror();
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw EQuireleafException("Cannot load the FIF decoder library " + path + ": " + LastDlError());
  try {
    LookUp(OpenDecompressor, "OpenDecompressor");
    LookUp(SetFIFBuffer, "SetFIFBuffer");
    LookUp(GetOriginalResolution, "GetOriginalResolution");
    LookUp(GetPhysicalDimensions, "GetPhysicalDimensions");
    LookUp(SetOutputResolution, "SetOutputResolution");
    LookUp(SetOutputFormat, "SetOutputFormat");
    LookUp(DecompressToBuffer, "DecompressToBuffer");
    LookUp(ClearFIFBuffer, "ClearFIFBuffer");
    LookUp(CloseDecompressor, "CloseDecompressor");
    LookUp(SetColorTableFormat, "SetColorTableFormat");
    LookUp(SetOutputColorTable, "SetOutputColorTable");
    LookUp(GetOutputColorTable, "GetOutputColorTable");
    LookUp(SetProgressiveFIFBuffer, "SetProgressiveFIFBuffer");
    LookUp(SetProgressiveStep, "SetProgressiveStep");
    LookUp(StartProgressiveDecompression, "StartProgressiveDecompression");
    LookUp(ProgressiveDecompress, "ProgressiveDecompress");
    LookUp(EndProgressiveDecompression, "EndProgressiveDecompression");
  } catch (...) {
    Release();
    throw;
  }
}

template <class F>
void TFifLibrary::LookUp(F& entry, const char* name) {
  ::dlerror();
  void* address = ::dlsym(handle_, name);
  if (!address)
    throw EQuireleafException("The FIF decoder library " + path_ + " has no entry point " + name + ": " +
                              LastDlError());
  entry = reinterpret_cast<F>(address);
}

TFifLibrary::~TFifLibrary() { Release(); }

TFifLibrary::TFifLibrary(TFifLibrary&& other) noexcept { *this = std::move(other); }

TFifLibrary& TFifLibrary::operator=(TFifLibrary&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
    static_cast<TFifEntryPoints&>(*this) = other;
  }
  return *this;
}

std::optional<TFifLibrary> TFifLibrary::Hold() {
  try {
    return TFifLibrary();
  } catch (const EQuireleafException&) {
    return std::nullopt;
  }
}

void TFifLibrary::Release() noexcept {
  if (handle_) ::dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace qrl
