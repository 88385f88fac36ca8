#pragma once
// What a link from a flyer may do. Flyers come from strangers: web and mail addresses open at
// once, a local file only after the user agrees and never when it is a program, any other kind
// of address only after the user has seen it whole, and nothing that another program could read
// as an option or that hides control characters is handed on at all.

#include <QString>

namespace qrl {

enum class TLinkVerdict {
  lvOpen,           // a web or mail address
  lvAskFile,        // an existing local file that is no program
  lvAskAddress,     // an address of another scheme
  lvMissingFile,    // a local file that does not exist
  lvRefuseProgram,  // a program, script or launcher
  lvRefuseAddress,  // begins with "-" or holds control characters
};

struct TLinkCheck {
  TLinkVerdict verdict = TLinkVerdict::lvRefuseAddress;
  // What to open: the address unchanged, or for a local file its absolute path.
  QString target;
};

// baseFolder: where a relative path is looked up (the flyer's folder).
TLinkCheck CheckLink(const QString& address, const QString& baseFolder);

// Whether the file would run code when opened: executable files, scripts, desktop launchers and
// Windows programs (our own kickstarters among them).
bool IsProgramFile(const QString& path);

// Whether the file can be started as a program (a regular file the user may execute).
bool IsRunnableProgram(const QString& path);

}  // namespace qrl
