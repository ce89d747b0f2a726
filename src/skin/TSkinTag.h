#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace vireo {

// One tag of a skin file as the pull reader meets it, in document order.
struct TSkinTag {
  enum class Kind { Start, Empty, End };

  Kind kind = Kind::Start;
  // The element name as written.
  QString name;
  // The attributes in the order written; names keep their case.
  QList<std::pair<QString, QString>> attributes;
  // The line the tag stands on (for messages).
  int line = 0;

  // The value of the attribute with exactly this name, or nothing when the tag has none.
  std::optional<QString> Value(QLatin1StringView attributeName) const {
    for (const auto& [n, v] : attributes)
      if (n == attributeName) return v;
    return std::nullopt;
  }
  bool NameIs(QLatin1StringView lowerName) const {
    return name.compare(lowerName, Qt::CaseInsensitive) == 0;
  }
};

}  // namespace vireo
