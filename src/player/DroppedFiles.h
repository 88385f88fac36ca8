#pragma once
// What a drop on the window offers to open.

#include <QList>
#include <QString>
#include <QUrl>

namespace qrl {

// The first dropped URL that names a local file; addresses of other kinds are passed over.
QString FirstLocalFile(const QList<QUrl>& urls);

}  // namespace qrl
