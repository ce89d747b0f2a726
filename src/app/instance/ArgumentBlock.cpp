#include "app/instance/ArgumentBlock.h"

#include "app/instance/InstanceProtocol.h"
#include "base/Gb18030.h"

namespace vireo {
namespace {

QString FromPeerBytes(QByteArrayView bytes) {
  if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
  return FromGb18030(bytes);
}

}  // namespace

QByteArray ArgumentBlock::Encode(const QStringList& args) {
  QByteArray out;
  instance::AppendInt32(out, static_cast<qint32>(args.size()));
  for (const QString& arg : args) {
    QByteArray bytes = arg.toUtf8();
    // An argument cannot hold a zero byte on this platform; cut there, so the count stays true.
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) bytes.truncate(zero);
    out.append(bytes);
    out.append('\0');
  }
  return out;
}

QStringList ArgumentBlock::Decode(QByteArrayView block) {
  QStringList out;
  if (block.size() < 4) return out;
  const qint32 n = instance::ReadInt32(block.data());
  qsizetype pos = 4;
  for (qint32 i = 0; i < n && pos < block.size(); ++i) {
    const qsizetype zero = block.indexOf('\0', pos);
    if (zero < 0) break;
    out.append(FromPeerBytes(block.sliced(pos, zero - pos)));
    pos = zero + 1;
  }
  return out;
}

QString ArgumentBlock::DecodeText(QByteArrayView payload) {
  const qsizetype zero = payload.indexOf('\0');
  return FromPeerBytes(zero < 0 ? payload : payload.first(zero));
}

}  // namespace vireo
