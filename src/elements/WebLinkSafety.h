#pragma once
// Which addresses of web-link click areas may leave the flyer: only web pages (http, https) and
// mail addresses (mailto). Anything else (files, programs, other schemes) could run or open
// something on the reader's machine, so it is never followed.

#include <string_view>

namespace qrl {

// Whether a stored link text (Windows-1252 bytes) is an http or https address with a host, or a
// mailto address, and free of control characters.
bool IsSafeWebLink(std::string_view address);

}  // namespace qrl
