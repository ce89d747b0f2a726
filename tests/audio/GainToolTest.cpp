#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "MediaFactory.h"
#include "TestEnv.h"
#include "audio/GainToolClient.h"
#include "base/WorkerRegistry.h"

using namespace vireo;
using vireo::test::MediaFactory;
using vireo::test::WaitUntil;

namespace {

QByteArray RunTool(const QString& file, int* exitCode = nullptr) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral(VIREO_M3G_PATH),
          {QStringLiteral("/o"), QStringLiteral("/s"), QStringLiteral("c"), file});
  EXPECT_TRUE(p.waitForFinished(30000));
  if (exitCode) *exitCode = p.exitCode();
  return p.readAll();
}

}  // namespace

TEST(GainTool, ReportsTheStoredGainWhenTheFileHasOne) {
  const QString mp3 = MediaFactory::Tone(
      QStringLiteral("rg-stored"), QStringLiteral("mp3"), 440, 1.0, 0.5,
      {QStringLiteral("-metadata"), QStringLiteral("REPLAYGAIN_TRACK_GAIN=-6.50 dB")});
  const QByteArray out = RunTool(mp3);
  ASSERT_TRUE(out.contains('\r')) << out.constData();
  EXPECT_FLOAT_EQ(GainToolClient::ParseOutput(out).value_or(99), -6.5f) << out.constData();
  EXPECT_TRUE(out.contains("\tstored\t"));

  const QString flac = MediaFactory::Tone(
      QStringLiteral("rg-stored"), QStringLiteral("flac"), 440, 1.0, 0.5,
      {QStringLiteral("-metadata"), QStringLiteral("REPLAYGAIN_TRACK_GAIN=+2.25 dB")});
  EXPECT_FLOAT_EQ(GainToolClient::Measure(QStringLiteral(VIREO_M3G_PATH), flac).value_or(99),
                  2.25f);
  // A name relative to the caller's folder, though the tool runs in its own.
  const QString relative = QDir::current().relativeFilePath(flac);
  ASSERT_FALSE(QFileInfo(relative).isAbsolute());
  EXPECT_FLOAT_EQ(GainToolClient::Measure(QStringLiteral(VIREO_M3G_PATH), relative).value_or(99),
                  2.25f);
}

TEST(GainTool, MeasuresLoudnessWhenNothingIsStored) {
  const QString loud =
      MediaFactory::Tone(QStringLiteral("rg-loud"), QStringLiteral("wav"), 1000, 2.0, 0.5);
  const QString quiet =
      MediaFactory::Tone(QStringLiteral("rg-quiet"), QStringLiteral("wav"), 1000, 2.0, 0.125);
  const QByteArray out = RunTool(loud);
  EXPECT_TRUE(out.contains("\tmeasured\t")) << out.constData();
  const float gLoud = GainToolClient::ParseOutput(out).value_or(99);
  const float gQuiet = GainToolClient::Measure(QStringLiteral(VIREO_M3G_PATH), quiet).value_or(99);
  // A 1 kHz sine at full scale in both channels reads about 0 LUFS; at half scale -6 LUFS, so
  // -12 dB take it to -18.
  EXPECT_NEAR(gLoud, -12.0, 0.5);
  EXPECT_NEAR(gQuiet - gLoud, 12.04, 0.1);  // a quarter of the amplitude: 12 dB more gain

  int code = 0;
  const QByteArray bad =
      RunTool(MediaFactory::Write(QStringLiteral("rg-junk.mp3"), QByteArray(3000, 'z')), &code);
  EXPECT_NE(code, 0);
  EXPECT_FALSE(GainToolClient::ParseOutput(bad));
}

// A player closing while the tool analyses a long file does not wait for it: the worker's
// cancel kills the tool and the open goes on without a gain.
TEST(GainTool, ACancelledJobKillsTheTool) {
  const QString tool = MediaFactory::Dir() + QStringLiteral("/slow-m3g");
  QFile f(tool);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\necho $$ > \"$0.pid\"\nexec sleep 30\n");
  f.close();
  f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  QFile::remove(tool + QStringLiteral(".pid"));

  WorkerRegistry registry;
  std::optional<float> gain = 1.0f;
  registry.Start(QStringLiteral("engine"), [&](WorkerJob&) {
    gain = GainToolClient::Measure(tool, MediaFactory::Dir() + QStringLiteral("/x.mp3"));
  });
  ASSERT_TRUE(WaitUntil([&] { return QFileInfo(tool + QStringLiteral(".pid")).size() > 0; }, 5000));
  // Ended by the shutdown, not by the tool's 30 s.
  EXPECT_TRUE(registry.Shutdown(5000));
  EXPECT_FALSE(gain.has_value());
  QFile pidFile(tool + QStringLiteral(".pid"));
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const QByteArray pid = pidFile.readAll().trimmed();
  EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)))
      << "the tool still runs";
}
