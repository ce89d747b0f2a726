#include <gtest/gtest.h>

#include "app/instance/ArgumentBlock.h"
#include "base/Gb18030.h"

namespace vireo {
namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

TEST(ArgumentBlock, EncodesCountThenZeroTerminatedStrings) {
  // N = argument count + 1; the size is 4 + each string's length + 1.
  const QByteArray block =
      ArgumentBlock::Encode({QStringLiteral("/usr/bin/vireo"), QStringLiteral("a"), QString()});
  EXPECT_EQ(block.size(), 4 + 15 + 2 + 1);
  EXPECT_EQ(block.first(4), Bytes({3, 0, 0, 0}));
  EXPECT_EQ(block.mid(4), QByteArray("/usr/bin/vireo\0a\0\0", 18));

  const QByteArray chinese = ArgumentBlock::Encode({QStringLiteral("p"), QStringLiteral("维雀")});
  EXPECT_EQ(chinese.mid(4), QByteArray("p\0\xE7\xBB\xB4\xE9\x9B\x80\0", 9));
}

TEST(ArgumentBlock, DecodesWhatWasEncoded) {
  const QStringList args{QStringLiteral("/bin/vireo"), QStringLiteral("/music/Song One.mp3"),
                         QString(), QStringLiteral("歌曲.flac")};
  EXPECT_EQ(ArgumentBlock::Decode(ArgumentBlock::Encode(args)), args);
}

TEST(ArgumentBlock, DamagedBlocksNeverReadPastTheirEnd) {
  // N larger than the strings present: only the complete strings.
  EXPECT_EQ(ArgumentBlock::Decode(Bytes({9, 0, 0, 0, 'a', 0, 'b', 0})),
            (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  // A last string without its terminator is not taken.
  EXPECT_EQ(ArgumentBlock::Decode(Bytes({2, 0, 0, 0, 'a', 0, 'b', 'c'})),
            QStringList{QStringLiteral("a")});
  // N smaller than the strings present: only N.
  EXPECT_EQ(ArgumentBlock::Decode(Bytes({1, 0, 0, 0, 'a', 0, 'b', 0})),
            QStringList{QStringLiteral("a")});
  EXPECT_TRUE(ArgumentBlock::Decode(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a', 0})).isEmpty());
  EXPECT_TRUE(ArgumentBlock::Decode(Bytes({1, 0})).isEmpty());
  EXPECT_TRUE(ArgumentBlock::Decode(QByteArray()).isEmpty());
}

TEST(ArgumentBlock, ForeignSendersInTheChineseCodePageAreRead) {
  QByteArray block = Bytes({2, 0, 0, 0, 'x', 0});
  block.append(ToGb18030(QStringLiteral("歌曲.mp3")));
  block.append('\0');
  EXPECT_EQ(ArgumentBlock::Decode(block).value(1), QStringLiteral("歌曲.mp3"));
}

TEST(ArgumentBlock, LinkTextEndsAtTheFirstZero) {
  EXPECT_EQ(ArgumentBlock::DecodeText(QByteArray("a;b;\0junk", 9)), QStringLiteral("a;b;"));
  EXPECT_EQ(ArgumentBlock::DecodeText(QByteArray("no terminator")),
            QStringLiteral("no terminator"));
  EXPECT_EQ(ArgumentBlock::DecodeText(QByteArray()), QString());
}

}  // namespace
}  // namespace vireo
