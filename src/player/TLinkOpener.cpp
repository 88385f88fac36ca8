#include "player/TLinkOpener.h"

#include "player/LinkSafety.h"
#include "player/TPlayerRegistry.h"
#include "player/TPrompts.h"
#include "player/TUrlOpener.h"

namespace qrl {

QString CouldNotOpenMessage(const QString& address) {
  return QStringLiteral("Could not open file '") + address + QStringLiteral("'. You may need to set the browser to use.");
}

QString RefusedProgramMessage(const QString& address) {
  return QStringLiteral("Quireleaf did not open '") + address +
         QStringLiteral("': it is a program or script, and links in a flyer never start programs.");
}

QString RefusedAddressMessage(const QString& address) {
  // Control characters would garble the message; show them as their codes.
  QString shown;
  for (const QChar c : address)
    shown += c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
                 ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                 : QString(c);
  return QStringLiteral("Quireleaf did not open '") + shown +
         QStringLiteral("': this is not a valid address for a link.");
}

QString OpenFileQuestion(const QString& path) {
  return QStringLiteral("This flyer wants to open the file '") + path +
         QStringLiteral("' on your computer.\n\nOpen it with the application registered for it?");
}

QString OpenAddressQuestion(const QString& address) {
  return QStringLiteral("This flyer wants to open the address\n\n") + address +
         QStringLiteral("\n\nwhich is not a web page. Open it?");
}

void TLinkOpener::OpenUrl(const QString& address, const QString& browser, const QString& flyerFolder) {
  const TLinkCheck check = CheckLink(address, flyerFolder);
  switch (check.verdict) {
    case TLinkVerdict::lvRefuseAddress: prompts_.ShowMessage(RefusedAddressMessage(address)); return;
    case TLinkVerdict::lvRefuseProgram: prompts_.ShowMessage(RefusedProgramMessage(address)); return;
    case TLinkVerdict::lvMissingFile: prompts_.ShowMessage(CouldNotOpenMessage(address)); return;
    case TLinkVerdict::lvAskFile:
      if (!prompts_.Confirm(OpenFileQuestion(check.target))) return;
      break;
    case TLinkVerdict::lvAskAddress:
      if (!prompts_.Confirm(OpenAddressQuestion(address))) return;
      break;
    case TLinkVerdict::lvOpen: break;
  }
  if (!Launch(browser, check.target)) prompts_.ShowMessage(CouldNotOpenMessage(address));
}

void TLinkOpener::OpenWithDefaultLink(bool askFirst, const QString& address) {
  if (CheckLink(address, {}).verdict == TLinkVerdict::lvRefuseAddress) return;
  bool failed = false;
  for (;;) {
    if (askFirst && !AskLinkApplication(failed, address)) return;
    if (Launch(registry_.ReadDefaultLink(), address)) return;
    askFirst = true;
    failed = true;
  }
}

bool TLinkOpener::AskLinkApplication(bool failed, const QString& file) {
  QString application = registry_.ReadDefaultLink();
  if (!prompts_.AskLinkApplication(failed, file, application)) return false;
  registry_.WriteDefaultLink(application);
  return true;
}

bool TLinkOpener::Launch(const QString& program, const QString& target) {
  return program.isEmpty() ? urls_.OpenAddress(target) : urls_.StartProgram(program, target);
}

}  // namespace qrl
