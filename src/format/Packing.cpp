#include "format/Packing.h"

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "format/TAtomicFile.h"
#include "format/TFooterRes.h"
#include "format/TQLStream.h"

namespace qrl {

void PackFlyer(const std::string& kickstarterPath, const std::string& flyerPath, const std::string& resourceName,
               const std::string& targetPath) {
  TAtomicFile pending(targetPath);
  {
    TFooterRes footer(kickstarterPath, false, pending.TempPath());
    if (!footer.AddFile(flyerPath, resourceName)) throw EQuireleafException("Could not write to " + targetPath);
    footer.Finish();
  }
  pending.Commit();
}

void UnpackFlyer(const std::string& exePath, const std::string& targetPath) {
  TQLStream source(exePath, TOpenMode::fmOpenRead);
  const TFlyerRegion region = LocateFlyerData(source, true);
  TAtomicFile pending(targetPath);
  {
    TQLStream target(pending.TempPath(), TOpenMode::fmCreate);
    target.CopyFrom(source, region.End - region.Start);
  }
  pending.Commit();
}

}  // namespace qrl
