#pragma once

// Steps the user-path tests share: a private configuration that keeps every online address on
// loopback, tagged tracks handed over as a file manager hands them, and looks at the screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "MediaFactory.h"
#include "PlayerSession.h"
#include "StillImage.h"
#include "TestEnv.h"

namespace vireo::test {

// Every online address of the player points at a closed loopback port: nothing leaves the
// machine, and look-ups fail at once.
inline void WriteConfig(PlayerSession& s, const QString& window = QString()) {
  ASSERT_TRUE(WritePlayerSettings(s.DataDir(), window));
}

inline QString Track(const QString& title, double seconds, int hz = 440) {
  return MediaFactory::Tone(title, QStringLiteral("mp3"), hz, seconds, 0.3,
                            {QStringLiteral("-metadata"), QStringLiteral("title=") + title,
                             QStringLiteral("-metadata"), QStringLiteral("artist=Path Test")});
}

// Starts with the tracks, each handed over by a later start as a file manager opens one (starts
// that come close together are one batch, of which only the first plays).
inline void StartWithTracks(PlayerSession& s, const QStringList& titles, const QString& window = {}) {
  WriteConfig(s, window);
  QStringList files;
  for (const QString& t : titles) files.append(Track(t, 30.0, 300 + 40 * int(files.size())));
  ASSERT_TRUE(s.Start({files.first()})) << s.Output().toStdString();
  for (qsizetype i = 1; i < files.size(); ++i) ASSERT_EQ(s.StartAgain({files[i]}), 0);
  ASSERT_TRUE(Eventually([&] { return s.Count() == int(files.size()); }));
}

inline QImage Grab(const QRect& r, const QString& name) {
  return PlayerSession::Screenshot(name).copy(r);
}

// The pixels of r once what is drawn there has stopped changing (a window just mapped and
// painting, a redraw after a click, a list filling): three grabs in a row alike. A null r: the
// whole screen.
inline QImage GrabStill(const QRect& r, const QString& name, int timeoutMs = 8000) {
  return StillImage(
      [&] {
        QImage shot = PlayerSession::Screenshot(name);
        return r.isNull() ? shot : shot.copy(r);
      },
      timeoutMs, Eventually);
}

// The whole screen once it has stopped changing, saved as name.
inline QImage ScreenshotStill(const QString& name, int timeoutMs = 8000) {
  return GrabStill(QRect(), name, timeoutMs);
}

// The pixels of r once they differ from before (what the user did has been drawn), then
// settled; before itself when nothing changed within the time.
inline QImage GrabChanged(const QRect& r, const QString& name, const QImage& before,
                          int timeoutMs = 8000) {
  if (!Eventually([&] { return Grab(r, name) != before; }, timeoutMs)) return before;
  return GrabStill(r, name, timeoutMs);
}

// The place of row `row` of the playlist on the screen.
inline QPoint Row(const PlayerSession& s, int row) {
  const QRect main = s.Geometry(QStringLiteral("Vireo"));
  const QRect list = PlayerSession::SkinRect(QStringLiteral("main"), QStringLiteral("playlist"));
  return main.topLeft() + list.topLeft() + QPoint(60, 7 + 14 * row);
}

}  // namespace vireo::test
