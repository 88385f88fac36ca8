#pragma once
// The topics of the player's user guide, by help context number.

#include <QString>
#include <QUrl>
#include <vector>

namespace qrl {

enum THelpContext : int {
  hcContents = 1,
  hcPageDown = 101,
  hcPageUp = 102,
  hcMute = 103,
  hcNote = 104,
  hcInfo = 105,
  hcClose = 106,
};

// Every context that has a topic.
const std::vector<int>& HelpContexts();
// The guide's anchor for a context; empty for an unknown one.
QString HelpTopicAnchor(int context);
// The guide page at the context's topic (the start of the guide for an unknown one).
QUrl HelpTopicUrl(int context);

}  // namespace qrl
