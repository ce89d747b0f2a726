// Karaoke lyrics, translations and the offset kept for a song, as a user meets them: a lyric
// file beside the track, the lyric window filling its line word by word, 查看 → 歌词翻译, the
// ">" button, a restart.
#include <gtest/gtest.h>

#include <QThread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "PlayerSession.h"
#include "UserPathSteps.h"

using namespace vireo::test;

namespace {

// The lyric view's skin colours: the current line #3ddc84 over #1e232b, other lines #9aa4b1.
bool Sung(QRgb p) {
  return qGreen(p) - qRed(p) > 70 && qGreen(p) - qBlue(p) > 30;
}
bool Unsung(QRgb p) {
  return qRed(p) > 100 && std::abs(qGreen(p) - qRed(p)) < 30 && qBlue(p) >= qRed(p);
}

struct LineInk {
  int top = -1, bottom = -1;  // the first band of ink from the top of the view
  int sungRight = -1, unsungLeft = -1, unsungRight = -1;
  bool sungBelow = false;  // current-line ink under the band: the line's translation
};

LineInk Measure(const QImage& view) {
  LineInk ink;
  for (int y = 0; y < view.height(); ++y) {
    bool any = false;
    for (int x = 0; x < view.width() && !any; ++x)
      any = Sung(view.pixel(x, y)) || Unsung(view.pixel(x, y));
    if (any && ink.top < 0) ink.top = y;
    if (any && ink.top >= 0 && (ink.bottom < 0 || ink.bottom == y - 1)) ink.bottom = y;
  }
  if (ink.top < 0) return ink;
  for (int y = 0; y < view.height(); ++y)
    for (int x = 0; x < view.width(); ++x) {
      const QRgb p = view.pixel(x, y);
      if (y > ink.bottom) {
        ink.sungBelow = ink.sungBelow || (Sung(p) && y <= ink.bottom + 30);
        continue;
      }
      if (y < ink.top) continue;
      if (Sung(p)) ink.sungRight = std::max(ink.sungRight, x);
      if (Unsung(p)) {
        if (ink.unsungLeft < 0 || x < ink.unsungLeft) ink.unsungLeft = x;
        ink.unsungRight = std::max(ink.unsungRight, x);
      }
    }
  return ink;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(UserPaths, AKaraokeLyricFillsItsLineShowsItsTranslationAndKeepsItsOffset) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // The track and its lyric side by side, as a user keeps them.
  const QString track = dir.filePath(QStringLiteral("Karaoke.mp3"));
  ASSERT_TRUE(QFile::copy(Track(QStringLiteral("Karaoke"), 40.0), track));
  const QString lyric = dir.filePath(QStringLiteral("Karaoke.lrc"));
  const QByteArray text =
      "[ti:Karaoke]\r\n"
      "[00:00.20]<00:00.20>WWWWWWWW <00:25.00>MMMMMMMM<00:40.00>\r\n"
      "[00:00.20]\xE7\xBF\xBB\xE8\xAF\x91 translation\r\n";
  {
    QFile f(lyric);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }

  PlayerSession s;
  WriteConfig(s, QStringLiteral("<LYRICMODE Value=\"1\"/>"));
  ASSERT_TRUE(s.Start({track})) << s.Output().toStdString();
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  const auto view = [&] {
    return PlayerSession::SkinRect(QStringLiteral("lrc"), QStringLiteral("minlrc"))
        .translated(s.Geometry(QStringLiteral("Vireo LRC")).topLeft());
  };
  const auto at = [&](const char* id) {
    return s.Geometry(QStringLiteral("Vireo LRC")).topLeft() +
           PlayerSession::SkinRect(QStringLiteral("lrc"), QLatin1StringView(id)).center();
  };
  PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});

  // Part of the first word sung: green ink on the left of the line, grey to its right.
  LineInk first;
  ASSERT_TRUE(Eventually([&] {
    first = Measure(Grab(view(), QStringLiteral("paths-karaoke-half.png")));
    return first.sungRight > 0 && first.unsungRight > first.sungRight + 20 &&
           first.unsungLeft >= first.sungRight - 2;
  }, 20000)) << "no line partly sung";
  // The fill moves on while the track plays.
  EXPECT_TRUE(Eventually([&] {
    const LineInk later = Measure(Grab(view(), QStringLiteral("paths-karaoke-later.png")));
    return later.top == first.top && later.sungRight >= first.sungRight + 6;
  }, 20000)) << "the fill stands still";
  EXPECT_TRUE(first.sungBelow) << "no translation under the line";

  // 查看 → 歌词翻译 hides the translation, and shows it again.
  const auto toggle = [&] {
    s.ClickMain(QStringLiteral("menu"));
    ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
    PlayerSession::ChooseInMenu({3, 2});
    ASSERT_TRUE(PlayerSession::WaitMenuClosed());
  };
  toggle();
  EXPECT_TRUE(Eventually([&] {
    return !Measure(Grab(view(), QStringLiteral("paths-translation-hidden.png"))).sungBelow;
  })) << "the translation stays";
  toggle();
  EXPECT_TRUE(Eventually([&] {
    return Measure(Grab(view(), QStringLiteral("paths-translation-shown.png"))).sungBelow;
  })) << "the translation does not come back";
  toggle();  // hidden again, for the restart

  // ">" twice: the lyric a second earlier, kept in the lyric file itself.
  PlayerSession::Click(at("f5"));
  ASSERT_TRUE(Eventually([&] { return ReadAll(lyric) == "[offset:500]\r\n" + text; }))
      << ReadAll(lyric).toStdString();
  // The second press; a user presses again when the lyric did not move.
  EXPECT_TRUE(Eventually([&] {
    if (ReadAll(lyric) == "[offset:500]\r\n" + text) PlayerSession::Click(at("f5"));
    return Eventually([&] { return ReadAll(lyric) != "[offset:500]\r\n" + text; }, 1500);
  }, 15000));
  EXPECT_TRUE(Eventually([&] { return ReadAll(lyric) == "[offset:1000]\r\n" + text; }))
      << ReadAll(lyric).toStdString();
  ASSERT_TRUE(s.Quit());
  EXPECT_TRUE(s.SettingsText().contains(QStringLiteral("LYRICTRANS")));

  // At the next play the song keeps its offset: "<" once from there writes half a second less,
  // and the translation stays hidden.
  ASSERT_TRUE(s.Start({track})) << s.Output().toStdString();
  ASSERT_TRUE(s.WaitVisible(QStringLiteral("Vireo LRC"), true));
  ASSERT_TRUE(Eventually([&] {
    const LineInk ink = Measure(Grab(view(), QStringLiteral("paths-karaoke-again.png")));
    return ink.sungRight > 0 && !ink.sungBelow;
  }, 20000));
  PlayerSession::Click(at("b5"));
  EXPECT_TRUE(Eventually([&] { return ReadAll(lyric) == "[offset:500]\r\n" + text; }))
      << ReadAll(lyric).toStdString();
  EXPECT_TRUE(s.Quit());
}
