// Web links leave the flyer only as web pages or mail addresses.

#include <gtest/gtest.h>

#include "elements/WebLinkSafety.h"

namespace qrl {
namespace {

TEST(WebLinkSafetyTest, WebPagesAndMailAddressesPass) {
  for (const char* address : {"http://example.org", "https://example.org/a?b=c#d", "HTTPS://Example.org",
                              "http://user@host.example:8080/x", "mailto:someone@example.org",
                              "https://example.org/with space"})
    EXPECT_TRUE(IsSafeWebLink(address)) << address;
}

TEST(WebLinkSafetyTest, FilesProgramsOtherSchemesAndMalformedAddressesAreRefused) {
  for (const char* address :
       {"", "file:///etc/passwd", "javascript:alert(1)", "JavaScript:alert(1)", "data:text/html,<b>x</b>",
        "C:\\Windows\\notepad.exe", "setup.exe", "/usr/bin/xterm", "ftp://example.org/", "http:/example.org",
        "http://", "https:///path", "http://user@/x", "http://:80/", "mailto:", "vbscript:x", "\\\\server\\share",
        "https://example.org/\nLocation: x", "http://example.org/\x7F", " https://example.org"})
    EXPECT_FALSE(IsSafeWebLink(address)) << address;
}

}  // namespace
}  // namespace qrl
