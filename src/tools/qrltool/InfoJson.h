#pragma once
// The machine-readable description of a loaded flyer that "qrltool info --json" prints.

#include <nlohmann/json.hpp>

#include "document/TFlyer.h"

namespace qrl::tool {

nlohmann::ordered_json FlyerInfoJson(const TFlyer& flyer);

}  // namespace qrl::tool
