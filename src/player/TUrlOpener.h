#pragma once
// Handing an address or file to the desktop.

#include <QString>

namespace qrl {

class TUrlOpener {
 public:
  virtual ~TUrlOpener() = default;
  // Opens the address (or file) with its registered application; false on failure.
  virtual bool OpenAddress(const QString& address) = 0;
};

class TDesktopUrlOpener : public TUrlOpener {
 public:
  bool OpenAddress(const QString& address) override;
};

}  // namespace qrl
