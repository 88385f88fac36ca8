#include "windows/HelpTopics.h"

#include <utility>

namespace qrl {
namespace {

const std::vector<std::pair<int, const char*>>& Topics() {
  static const std::vector<std::pair<int, const char*>> topics = {
      {hcContents, "contents"}, {hcPageDown, "leafing"}, {hcPageUp, "leafing"}, {hcMute, "sound"},
      {hcNote, "note"},         {hcInfo, "information"}, {hcClose, "closing"},
  };
  return topics;
}

}  // namespace

const std::vector<int>& HelpContexts() {
  static const std::vector<int> contexts = [] {
    std::vector<int> list;
    for (const auto& [context, anchor] : Topics()) list.push_back(context);
    return list;
  }();
  return contexts;
}

QString HelpTopicAnchor(int context) {
  for (const auto& [known, anchor] : Topics())
    if (known == context) return QString::fromLatin1(anchor);
  return {};
}

QUrl HelpTopicUrl(int context) {
  QUrl url(QStringLiteral("qrc:/help/guide.html"));
  const QString anchor = HelpTopicAnchor(context);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  return url;
}

}  // namespace qrl
