#pragma once
// The application title: the main window's caption without a flyer, and the caption of its
// message boxes.

namespace qrl {

inline constexpr const char* kApplicationTitle = "Quireleaf Player";

}  // namespace qrl
