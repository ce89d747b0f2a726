// Replays the seed corpus and the regression cases of every fuzz target (corpus/<target>/).
// A failed check aborts with the file's name; crashes and sanitizer reports do the same.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "FuzzTarget.h"

namespace {

void Replay(const char* name) {
  const vireo::fuzz::TargetFn fn = vireo::fuzz::Find(name);
  ASSERT_NE(fn, nullptr) << name;
  const QDir dir(QStringLiteral(VIREO_SOURCE_DIR "/tests/fuzz/corpus/") + QLatin1StringView(name));
  const QStringList files = dir.entryList(QDir::Files, QDir::Name);
  ASSERT_FALSE(files.isEmpty()) << "no corpus in " << dir.path().toStdString();
  for (const QString& file : files) {
    QFile f(dir.filePath(file));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray bytes = f.readAll();
    const QByteArray path = f.fileName().toLocal8Bit();
    vireo::fuzz::SetCurrentInput(path.constData());
    fn(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
  }
  vireo::fuzz::SetCurrentInput(nullptr);
}

}  // namespace

TEST(FuzzReplay, LrcScanner) {
  Replay("lrc");
}
TEST(FuzzReplay, LyricFileDecoding) {
  Replay("lyric_file");
}
TEST(FuzzReplay, UrlCodecAndTextHelpers) {
  Replay("text");
}
TEST(FuzzReplay, SettingsFile) {
  Replay("settings");
}
TEST(FuzzReplay, PlaylistFile) {
  Replay("playlist");
}
TEST(FuzzReplay, PresetFile) {
  Replay("eq_presets");
}
TEST(FuzzReplay, PngImage) {
  Replay("png");
}
TEST(FuzzReplay, BmpImage) {
  Replay("bmp");
}
TEST(FuzzReplay, BitmapDataStream) {
  Replay("bitmap_data");
}
TEST(FuzzReplay, PlaylistLink) {
  Replay("playlist_link");
}
TEST(FuzzReplay, ForeignPlaylist) {
  Replay("foreign_playlist");
}
TEST(FuzzReplay, IcyMetadata) {
  Replay("icy");
}
TEST(FuzzReplay, LibraryLink) {
  Replay("library_link");
}
TEST(FuzzReplay, RemoteList) {
  Replay("remote_list");
}
TEST(FuzzReplay, ServiceSearchAnswer) {
  Replay("service_search");
}
TEST(FuzzReplay, ArchiveAnswers) {
  Replay("archive");
}
TEST(FuzzReplay, LrclibAnswers) {
  Replay("lrclib");
}
TEST(FuzzReplay, SkinScript) {
  Replay("skin_script");
}
TEST(FuzzReplay, UpdateManifest) {
  Replay("update_manifest");
}
TEST(FuzzReplay, ArgumentBlock) {
  Replay("argument_block");
}
TEST(FuzzReplay, RemoteControlFrames) {
  Replay("remote_frames");
}
TEST(FuzzReplay, ServiceRequests) {
  Replay("service");
}
