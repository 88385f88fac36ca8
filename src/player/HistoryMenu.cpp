#include "player/HistoryMenu.h"

#include <QAction>
#include <QMenu>

#include "player/TFlyerHistory.h"

namespace qrl {

void RebuildHistoryItems(QMenu& menu, QAction* NHistory, QAction* NExit, const TFlyerHistory& history,
                         const std::function<void(int)>& onClick) {
  const QList<QAction*> actions = menu.actions();
  const qsizetype first = actions.indexOf(NHistory) + 1;
  const qsizetype end = actions.indexOf(NExit);
  for (qsizetype i = first; i < end; ++i) {
    menu.removeAction(actions[i]);
    delete actions[i];
  }
  for (int i = 0; i < static_cast<int>(history.Entries().size()); ++i) {
    auto* item = new QAction(history.MenuCaption(i), &menu);
    item->setObjectName(QStringLiteral("MenHistory%1").arg(i + 1));
    QObject::connect(item, &QAction::triggered, &menu, [onClick, i] { onClick(i); });
    menu.insertAction(NExit, item);
  }
}

}  // namespace qrl
