#include "app/mainwindow/DialogFilter.h"

#include <QCoreApplication>
#include <QStringList>

namespace vireo {
namespace {

// The labels the player's filters carry, for the translation tools.
[[maybe_unused]] constexpr const char* kLabels[] = {
    QT_TRANSLATE_NOOP("vireo::DialogFilter", "所有音乐"),
    QT_TRANSLATE_NOOP("vireo::DialogFilter", "播放列表"),
};

}  // namespace

QString DialogFilter::ToQt(const QString& pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      if (!p.trimmed().isEmpty()) patterns.append(p.trimmed());
    if (patterns.isEmpty()) continue;
    const QString label = QCoreApplication::translate(
        "vireo::DialogFilter", parts[i].trimmed().toUtf8().constData());
    filters.append(label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace vireo
