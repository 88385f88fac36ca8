#include "player/ForwardLaunch.h"

#include <QFileInfo>

#include "player/InstanceMacro.h"
#include "player/SwitchValue.h"
#include "player/TInstanceChannel.h"

namespace qrl {

bool ForwardToRunningPlayer(TInstanceChannel& channel, const std::vector<std::string>& arguments) {
  const QFileInfo flyer(QString::fromStdString(FlyerArgument(arguments)));
  if (flyer.filePath().isEmpty() || !flyer.isFile() || SwitchGiven(arguments, 'r')) return false;
  const QString path = flyer.absoluteFilePath();
  // Only the macro's first line is read.
  if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) return false;
  return channel.Offer(QString::fromStdString(OpenMacro(path.toStdString())));
}

}  // namespace qrl
