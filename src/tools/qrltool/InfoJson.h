#pragma once
// The machine-readable description of a loaded flyer that "qrltool info --json" prints.

#include <nlohmann/json.hpp>

#include "document/TFlyer.h"

namespace qrl::tool {

nlohmann::json FlyerInfoJson(const TFlyer& flyer);

}  // namespace qrl::tool
