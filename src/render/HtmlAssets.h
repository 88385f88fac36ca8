#pragma once
// The style sheet and the script every exported web page shares, written beside the pages:
// nothing is fetched from anywhere.

namespace qrl {

extern const char* const kFlyerCss;  // flyer.css
extern const char* const kFlyerJs;   // flyer.js

}  // namespace qrl
