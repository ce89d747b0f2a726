#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace vireo {

// Takes apart the body of an internet radio stream that interleaves ICY metadata (asked for with
// "Icy-MetaData: 1", announced by the answer's "icy-metaint: N"): after every N bytes of audio
// comes one length byte L and then L * 16 bytes of text such as "StreamTitle='Artist - Song';",
// padded with zeros. The audio bytes are handed on without the metadata, and each StreamTitle is
// reported. Bytes may arrive in pieces of any size, cut anywhere.
//
// Threading contract: one object per stream, used by one thread (the download's).
class IcyMetadataFilter {
 public:
  explicit IcyMetadataFilter(int metaInterval)
      : interval_(metaInterval), audioLeft_(metaInterval) {}

  // Appends the audio bytes of data to audio and the titles announced in it, in order, to titles.
  void Feed(QByteArrayView data, QByteArray& audio, QStringList& titles);

  // The StreamTitle of one metadata block; nullopt-like: hasTitle false when the block names none.
  // Text that is not UTF-8 is read as tags' legacy text is (GBK from Chinese stations, else
  // Latin-1).
  static bool ParseTitle(QByteArrayView block, QString& title);

  // The interval an answer header announces; 0 when the header is some other or not usable.
  static int MetaIntervalOf(QByteArrayView headerLine);

  static constexpr int kMaxInterval = 1 << 20;

 private:
  const int interval_;
  int audioLeft_;     // audio bytes before the next length byte
  int metaLeft_ = 0;  // metadata bytes still to come of the current block
  QByteArray block_;  // the current block so far
};

}  // namespace vireo
