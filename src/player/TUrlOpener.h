#pragma once
// Handing an address or file to the desktop, or to a program the user chose.

#include <QString>

namespace qrl {

class TUrlOpener {
 public:
  virtual ~TUrlOpener() = default;
  // Opens the address (or file) with its registered application; false on failure.
  virtual bool OpenAddress(const QString& address) = 0;
  // Starts the program with the one argument, never through a shell; false when it cannot start.
  virtual bool StartProgram(const QString& program, const QString& argument) = 0;
};

class TDesktopUrlOpener : public TUrlOpener {
 public:
  bool OpenAddress(const QString& address) override;
  bool StartProgram(const QString& program, const QString& argument) override;
};

}  // namespace qrl
