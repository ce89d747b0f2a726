#include "app/DialogFilter.h"

#include <QStringList>

namespace vireo {

QString DialogFilter::ToQt(const QString& pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      if (!p.trimmed().isEmpty()) patterns.append(p.trimmed());
    if (patterns.isEmpty()) continue;
    filters.append(parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace vireo
