// The argument block a second start hands over: any block gives no more strings than it says and
// holds, each without a zero, and the strings sent again as a block come back the same.
#include <QByteArray>
#include <QStringList>

#include "FuzzTarget.h"
#include "app/instance/ArgumentBlock.h"
#include "app/instance/InstanceProtocol.h"

VIREO_FUZZ_TARGET(argument_block) {
  using vireo::ArgumentBlock;
  const QByteArrayView block(reinterpret_cast<const char*>(data), qsizetype(size));
  const QStringList strings = ArgumentBlock::Decode(block);
  if (block.size() >= 4) {
    const qint32 n = vireo::instance::ReadInt32(block.data());
    FUZZ_CHECK(strings.size() <= std::max(n, 0));
    FUZZ_CHECK(strings.size() <= block.sliced(4).count('\0'));
  } else {
    FUZZ_CHECK(strings.isEmpty());
  }
  for (const QString& s : strings) FUZZ_CHECK(!s.contains(QChar(0)));
  FUZZ_CHECK(ArgumentBlock::Decode(ArgumentBlock::Encode(strings)) == strings);

  const QString text = ArgumentBlock::DecodeText(block);
  FUZZ_CHECK(!text.contains(QChar(0)));
  FUZZ_CHECK(ArgumentBlock::DecodeText(text.toUtf8()) == text);
  return 0;
}
