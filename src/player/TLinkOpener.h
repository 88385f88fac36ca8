#pragma once
// Opening web addresses and files: the page view's links through the browser of the options (or
// the desktop's choice), with the safety rules of LinkSafety.h; the about windows' links through
// the application stored for them, asking for another while launching fails.

#include <QString>

namespace qrl {

class TPlayerRegistry;
class TPrompts;
class TUrlOpener;

class TLinkOpener {
 public:
  TLinkOpener(TPrompts& prompts, TUrlOpener& urls, TPlayerRegistry& registry)
      : prompts_(prompts), urls_(urls), registry_(registry) {}

  // A link from a flyer. browser: the program to start with the address; empty: the desktop's
  // handler. flyerFolder: where relative file names are looked up.
  void OpenUrl(const QString& address, const QString& browser, const QString& flyerFolder);

  // A link of the about windows: launches with the stored application; while that fails (or at
  // once, with askFirst) asks for another, which is stored and tried. Cancel ends quietly.
  void OpenWithDefaultLink(bool askFirst, const QString& address);

 private:
  bool AskLinkApplication(bool failed, const QString& file);
  bool Launch(const QString& program, const QString& target);

  TPrompts& prompts_;
  TUrlOpener& urls_;
  TPlayerRegistry& registry_;
};

// The messages and questions of the link rules.
QString CouldNotOpenMessage(const QString& address);
QString RefusedProgramMessage(const QString& address);
QString RefusedAddressMessage(const QString& address);
QString OpenFileQuestion(const QString& path);
QString OpenAddressQuestion(const QString& address);

}  // namespace qrl
