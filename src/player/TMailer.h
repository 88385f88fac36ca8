#pragma once
// Handing a mail with one attachment and a body text to the user's mail program, which lets
// the user choose the recipients.

#include <QObject>
#include <QString>
#include <functional>

namespace qrl {

class TMailer {
 public:
  using TDone = std::function<void(bool succeeded)>;
  virtual ~TMailer() = default;
  // Starts composing; done runs once, on the user-interface thread, when the mail program has
  // taken the mail or has failed. It may run before SendMail returns.
  virtual void SendMail(const QString& attachment, const QString& body, TDone done) = 0;
};

// `xdg-email --attach FILE --body TEXT`, found on the PATH, with the body's lines separated by
// line feeds. The tool returns once the mail program has the request, usually long before the
// mail is sent.
class TXdgEmailMailer : public QObject, public TMailer {
  Q_OBJECT
 public:
  explicit TXdgEmailMailer(QObject* parent = nullptr) : QObject(parent) {}
  void SendMail(const QString& attachment, const QString& body, TDone done) override;
};

}  // namespace qrl
