// Which decoder plays a file, and that the one in the player itself (MPEG audio at 44100 Hz) keeps
// what the module's FFmpeg would give: the length, exact seeks, both channels, the tags. Each case
// runs in a process of its own, so whether the module was loaded is the case's own doing.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <vector>

#include "MediaFactory.h"
#include "audio/AudioCodes.h"
#include "audio/AudioDecoder.h"
#include "audio/DecoderModule.h"
#include "audio/FormatFilter.h"

namespace vireo {
namespace {

using test::MediaFactory;

bool FfmpegLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libavcodec");
}

std::vector<float> DecodeAll(AudioDecoder& d) {
  std::vector<float> out;
  std::vector<float> block(4096 * 2);
  for (int n; (n = d.Read(block.data(), 4096)) > 0;)
    out.insert(out.end(), block.begin(), block.begin() + n * 2);
  return out;
}

float Peak(const std::vector<float>& s, size_t from, size_t to, int channel) {
  float peak = 0;
  for (size_t i = from; i < to && i * 2 + 1 < s.size(); ++i)
    peak = std::max(peak, std::fabs(s[i * 2 + size_t(channel)]));
  return peak;
}

TEST(DecoderChoice, AnMp3At44100PlaysWithoutTheModuleWithItsExactLengthAndSeeks) {
  const QString mp3 =
      MediaFactory::Tone(QStringLiteral("choice-a"), QStringLiteral("mp3"), 440, 3.0, 0.5,
                         {QStringLiteral("-ar"), QStringLiteral("44100")});
  AudioDecoder::Opened opened = AudioDecoder::OpenFile(mp3);
  ASSERT_TRUE(opened.decoder) << opened.error;
  AudioDecoder& d = *opened.decoder;
  EXPECT_EQ(d.SourceRate(), 44100);
  EXPECT_EQ(d.FormatName(), QStringLiteral("mp3"));
  EXPECT_EQ(d.FileSize(), QFileInfo(mp3).size());
  // The encoder's delay and padding are not part of the track.
  EXPECT_EQ(d.LengthFrames(), 3 * 44100);
  const std::vector<float> all = DecodeAll(d);
  EXPECT_EQ(all.size(), size_t(3 * 44100 * 2));
  EXPECT_EQ(d.PositionFrames(), 3 * 44100);
  EXPECT_NEAR(Peak(all, 1000, 100000, 0), 0.5, 0.05);

  // A seek lands on the very frame asked for: what follows is what a straight decode gave there.
  ASSERT_TRUE(d.Seek(77777));
  EXPECT_EQ(d.PositionFrames(), 77777);
  std::vector<float> after(256 * 2);
  ASSERT_EQ(d.Read(after.data(), 256), 256);
  for (size_t i = 0; i < after.size(); ++i)
    ASSERT_NEAR(after[i], all[77777 * 2 + i], 1e-3) << "at float " << i;
  EXPECT_FALSE(FfmpegLoaded());
}

TEST(DecoderChoice, AMonoFilePlaysAtItsOwnLevelFromBothSpeakersWithEitherDecoder) {
  const QString mp3 = MediaFactory::Tone(QStringLiteral("choice-mono"), QStringLiteral("mp3"), 440,
                                         1.0, 0.5, {QStringLiteral("-ac"), QStringLiteral("1")});
  AudioDecoder::Opened opened = AudioDecoder::OpenFile(mp3);
  ASSERT_TRUE(opened.decoder);
  const std::vector<float> all = DecodeAll(*opened.decoder);
  ASSERT_EQ(all.size(), size_t(44100 * 2));
  for (size_t i = 2000; i < 2100; ++i) EXPECT_EQ(all[i * 2], all[i * 2 + 1]);
  EXPECT_FALSE(FfmpegLoaded());

  // Not 3 dB down: both decoders put the one channel on both speakers at its own level.
  const DecoderModuleApi* api = DecoderModule::Api();
  ASSERT_TRUE(api);
  int error = 0;
  std::unique_ptr<AudioDecoder> reference(
      api->OpenFile(mp3.toUtf8().constData(), QFileInfo(mp3).size(), &error));
  ASSERT_TRUE(reference) << error;
  const std::vector<float> expected = DecodeAll(*reference);
  EXPECT_NEAR(Peak(all, 1000, 40000, 0), Peak(expected, 1000, 40000, 0), 0.01);
  EXPECT_NEAR(Peak(all, 1000, 40000, 1), Peak(expected, 1000, 40000, 1), 0.01);
  EXPECT_GT(Peak(all, 1000, 40000, 1), 0.4);
}

TEST(DecoderChoice, AnMp3WhoseRateChangesPartWayEndsWhereItsFirstRateEnds) {
  // Two recordings glued together, as a cut-and-paste tool may leave them: the second part, at
  // 48000 Hz, must not play a tenth too slow.
  const QString first =
      MediaFactory::Tone(QStringLiteral("glue-44k"), QStringLiteral("mp3"), 440, 1.0, 0.5,
                         {QStringLiteral("-ar"), QStringLiteral("44100")});
  const QString second =
      MediaFactory::Tone(QStringLiteral("glue-48k"), QStringLiteral("mp3"), 440, 1.0, 0.5,
                         {QStringLiteral("-ar"), QStringLiteral("48000")});
  QFile a(first), b(second);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  const QString glued = MediaFactory::Write(QStringLiteral("glued.mp3"), a.readAll() + b.readAll());
  AudioDecoder::Opened opened = AudioDecoder::OpenFile(glued);
  ASSERT_TRUE(opened.decoder) << opened.error;
  EXPECT_EQ(opened.decoder->SourceRate(), 44100);
  const size_t frames = DecodeAll(*opened.decoder).size() / 2;
  EXPECT_GE(frames, size_t(44100 - 1152));
  EXPECT_LE(frames, size_t(44100 + 2 * 1152));
}

TEST(DecoderChoice, OtherRatesAndFormatsAndMisnamedFilesGoToTheModule) {
  // An MP3 at 48000 Hz is resampled by the module, not by the MPEG decoder's own converter.
  const QString mp3 =
      MediaFactory::Tone(QStringLiteral("choice-48k"), QStringLiteral("mp3"), 440, 2.0, 0.5,
                         {QStringLiteral("-ar"), QStringLiteral("48000")});
  AudioDecoder::Opened opened = AudioDecoder::OpenFile(mp3);
  ASSERT_TRUE(opened.decoder) << opened.error;
  EXPECT_EQ(opened.decoder->SourceRate(), 48000);
  EXPECT_NEAR(double(DecodeAll(*opened.decoder).size()) / 2, 2 * 44100, 44100 * 0.05);
  EXPECT_TRUE(FfmpegLoaded());

  // A FLAC file someone named .mp3 still plays.
  const QString flac =
      MediaFactory::Tone(QStringLiteral("choice-flac"), QStringLiteral("flac"), 440, 1.0);
  const QString misnamed = MediaFactory::Dir() + QStringLiteral("/really-flac.mp3");
  QFile::remove(misnamed);
  ASSERT_TRUE(QFile::copy(flac, misnamed));
  AudioDecoder::Opened renamed = AudioDecoder::OpenFile(misnamed);
  ASSERT_TRUE(renamed.decoder) << renamed.error;
  EXPECT_EQ(renamed.decoder->FormatName(), QStringLiteral("flac"));
  EXPECT_EQ(renamed.decoder->LengthFrames(), 44100);

  // Neither decoder takes a file that is no audio at all.
  const QString junk = MediaFactory::Write(QStringLiteral("junk.mp3"), QByteArray(5000, 'x'));
  EXPECT_EQ(AudioDecoder::OpenFile(junk).error, AudioError::FileForm);
}

TEST(DecoderChoice, TheOpenDialogOffersExactlyWhatTheModuleCanPlayHere) {
  const DecoderModuleApi* api = DecoderModule::Api();
  ASSERT_TRUE(api);
  QStringList offered = FormatFilter::Build().split(QLatin1Char('|')).at(1).split(QLatin1Char(';'));
  const QStringList classic = QString::fromUtf8(FormatFilter::BaseText())
                                  .split(QLatin1Char('|'))
                                  .at(1)
                                  .split(QLatin1Char(';'));
  for (const QString& p : classic) offered.removeAll(p);
  QStringList playable = api->ExtraPatterns();
  for (const QString& p : classic) playable.removeAll(p);
  playable.removeDuplicates();
  offered.sort();
  playable.sort();
  EXPECT_EQ(offered, playable);
}

TEST(DecoderChoice, WithoutTheModuleOnlyMpegAudioPlays) {
  DecoderModule::SetPath(QStringLiteral("/nonexistent/vireo-ffmpeg.so"));
  const QString mp3 =
      MediaFactory::Tone(QStringLiteral("choice-a"), QStringLiteral("mp3"), 440, 3.0, 0.5,
                         {QStringLiteral("-ar"), QStringLiteral("44100")});
  const QString flac =
      MediaFactory::Tone(QStringLiteral("choice-flac"), QStringLiteral("flac"), 440, 1.0);
  EXPECT_TRUE(AudioDecoder::OpenFile(mp3).decoder);
  EXPECT_EQ(AudioDecoder::OpenFile(flac).error, AudioError::Codec);
  EXPECT_EQ(DecoderModule::Api(), nullptr);
}

}  // namespace
}  // namespace vireo
