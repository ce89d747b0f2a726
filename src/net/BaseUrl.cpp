#include "net/BaseUrl.h"

#include <QUrl>

#include "base/TextUtil.h"

namespace vireo {

QByteArray BaseUrl::Normalize(const QString& text) {
  QString trimmed = TrimText(text);
  while (trimmed.endsWith(u'/')) trimmed.chop(1);
  const QUrl url(trimmed, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
    return {};
  return url.toEncoded();
}

}  // namespace vireo
