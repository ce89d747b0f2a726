// What a user does beyond a click: menus chosen with the keys, dialogs found by their titles,
// typing, drops from another program, and what the player left on disk.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QThread>

#include "PlayerSession.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"

namespace vireo::test {

namespace {

QString Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(5000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// A point well inside a lyric glyph of the desktop lyrics, found on the screen (a glyph's
// antialiased edge may lie outside the shape that takes the mouse), or a null point.
QPoint GlyphOnScreen(const QRect& desktop, const QString& screenshot) {
  const QImage screen = PlayerSession::Screenshot(screenshot);
  // Both skins' fills are green (the Default's gradient runs from #c9fbdd to #21b767, the
  // Light's is darker); the toolbar (#d7dde6) is not.
  const auto green = [&](int x, int y) {
    if (!screen.rect().contains(x, y)) return false;
    const QRgb px = screen.pixel(x, y);
    return qGreen(px) > 100 && qGreen(px) > qBlue(px) && qGreen(px) - qRed(px) >= 30;
  };
  // The line is centred: looked for from the middle outwards, so that the green of a window
  // under the lyrics' wide, mostly empty rectangle is not taken for it.
  const int middle = desktop.center().x();
  for (int d = 0; d < desktop.width() / 2 - 2; ++d)
    for (const int x : {middle - d, middle + d})
      for (int y = desktop.top() + 2; y < desktop.bottom() - 2; ++y) {
        bool inside = true;
        for (int dy = -1; dy <= 1 && inside; ++dy)
          for (int dx = -1; dx <= 1 && inside; ++dx) inside = green(x + dx, y + dy);
        if (inside) return QPoint(x, y);
      }
  return {};
}

}  // namespace

// The line may change between the screenshot and the move (the glyphs move with it), so a few
// tries.
bool PlayerSession::HoverDesktopLyrics(const QString& screenshot) {
  PlayerSession& s = *this;
  for (int attempt = 0; attempt < 4; ++attempt) {
    PlayerSession::Xdo({QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")});
    // A toolbar still up from an earlier hover covers the glyphs (without a compositor it is
    // opaque): it goes a second after that hover.
    s.WaitVisible(QStringLiteral("Vireo 桌面歌词操作"), false, 2500);
    const QPoint glyph = GlyphOnScreen(s.Geometry(QStringLiteral("Vireo 桌面歌词")), screenshot);
    if (glyph.isNull()) continue;
    PlayerSession::Xdo(
        {QStringLiteral("mousemove"), QString::number(glyph.x()), QString::number(glyph.y())});
    // A hand never lands still: the pointer goes on moving over the glyph.
    QThread::msleep(100);
    PlayerSession::Xdo(
        {QStringLiteral("mousemove_relative"), QStringLiteral("1"), QStringLiteral("0")});
    if (!s.WaitVisible(QStringLiteral("Vireo 桌面歌词操作"), true, 1500)) continue;
    // It comes up over the lyrics the user pointed at, not somewhere else on the screen.
    const QRect lyrics = s.Geometry(QStringLiteral("Vireo 桌面歌词"));
    const bool over = Eventually([&] {
      return s.GeometryOnce(QStringLiteral("Vireo 桌面歌词操作")).intersects(lyrics);
    });
    const QRect bar = s.GeometryOnce(QStringLiteral("Vireo 桌面歌词操作"));
    EXPECT_TRUE(over) << "the toolbar at " << bar.x() << "," << bar.y() << " " << bar.width() << "x"
                      << bar.height() << ", the lyrics at " << lyrics.x() << "," << lyrics.y();
    return over;
  }
  return false;
}

void PlayerSession::ClickMain(const QString& id, int button) const {
  const QRect main = Geometry(QStringLiteral("Vireo"));
  Click(main.topLeft() + SkinRect(QStringLiteral("main"), id).center(), button);
}

namespace {

// The pop-up menus are the player's windows of Qt's own class "vireo" (the skinned windows have
// classes of their own); their instance is the program's name, which for a player built with
// the test key is not "vireo".
QStringList MenuWindows() {
  QStringList menus;
  const QStringList ids =
      Run(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--class"), QStringLiteral("^vireo$")})
          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (const QString& id : ids)
    if (PlayerSession::Property(id, QStringLiteral("WM_CLASS")).contains(QStringLiteral("\", \"vireo\"")))
      menus.append(id);
  return menus;
}

}  // namespace

QString PlayerSession::OpenMenu() {
  const QStringList menus = MenuWindows();
  return menus.isEmpty() ? QString() : menus.first();
}

QStringList PlayerSession::OpenMenuNames() {
  QStringList names;
  for (const QString& id : MenuWindows()) {
    const QString line = Property(id, QStringLiteral("_NET_WM_NAME"));
    const qsizetype open = line.indexOf(u'"');
    if (open >= 0) names << line.mid(open + 1).chopped(line.endsWith(u'\n') ? 2 : 1);
  }
  return names;
}

QRect PlayerSession::WaitMenu(int timeoutMs) {
  QString id;
  if (!Eventually([&] { return !(id = OpenMenu()).isEmpty(); }, timeoutMs)) return {};
  return GeometryOf(id);
}

bool PlayerSession::WaitMenuClosed(int timeoutMs) {
  return Eventually([] { return OpenMenu().isEmpty(); }, timeoutMs);
}

void PlayerSession::ChooseInMenu(const QList<int>& path) {
  for (qsizetype level = 0; level < path.size(); ++level) {
    // A menu opened by the pointer has no item chosen yet; a sub-menu opened by the keys starts
    // on its first item.
    const int downs = path[level] + (level == 0 ? 1 : 0);
    for (int i = 0; i < downs; ++i) Key(QStringLiteral("Down"));
    if (level + 1 == path.size()) {
      Key(QStringLiteral("Return"));
      break;
    }
    // The keys that follow are for the sub-menu once it is open.
    const qsizetype open = OpenMenuNames().size();
    Key(QStringLiteral("Right"));
    Eventually([&] { return OpenMenuNames().size() > open; }, 5000);
  }
}

QString PlayerSession::WindowByTitle(const QString& title) {
  QString pattern;
  for (const QChar c : title)
    pattern += QStringLiteral("[](){}.*+?^$|\\").contains(c) ? QStringLiteral("\\") + c : QString(c);
  const QStringList ids =
      Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--name"),
                                      QLatin1Char('^') + pattern + QLatin1Char('$')})
          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return ids.isEmpty() ? QString() : ids.last();
}

QString PlayerSession::WaitWindowByTitle(const QString& title, int timeoutMs) {
  QString id;
  Eventually([&] { return !(id = WindowByTitle(title)).isEmpty(); }, timeoutMs);
  return id;
}

QRect PlayerSession::GeometryOf(const QString& windowId) {
  // xwininfo's absolute corner: xdotool adds the window manager's frame offset to it a second
  // time for a decorated window.
  QRect r;
  for (const QString& raw : Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId})
                                .split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    const int value = line.section(QLatin1Char(':'), 1).trimmed().toInt();
    if (line.startsWith(QStringLiteral("Absolute upper-left X:"))) r.moveLeft(value);
    if (line.startsWith(QStringLiteral("Absolute upper-left Y:"))) r.moveTop(value);
    if (line.startsWith(QStringLiteral("Width:"))) r.setWidth(value);
    if (line.startsWith(QStringLiteral("Height:"))) r.setHeight(value);
  }
  return r;
}

QString PlayerSession::Property(const QString& windowId, const QString& property) {
  return Run(QStringLiteral("xprop"), {QStringLiteral("-id"), windowId, property});
}

void PlayerSession::Type(const QString& text) {
  Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

bool PlayerSession::DropFiles(const QStringList& paths, QPoint target) {
  QProcess helper;
  helper.start(QStringLiteral(VIREO_DRAG_HELPER), paths);
  if (!helper.waitForReadyRead(10000)) return false;
  // The helper's window is up at the screen's corner once the window manager mapped it.
  if (WaitWindowByTitle(QStringLiteral("vireo-drag-helper")).isEmpty()) return false;
  QByteArray said = helper.readAll();
  const auto hears = [&](const char* word) {
    helper.waitForReadyRead(20);
    said += helper.readAll();
    return said.contains(word);
  };
  MoveTo(QPoint(40, 30));
  Xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
  if (!Eventually([&] { return hears("dragging"); }, 5000)) return false;
  for (int step = 1; step <= 8; ++step)
    MoveTo(QPoint(40, 30) + (target - QPoint(40, 30)) * step / 8);
  MoveTo(target + QPoint(1, 1));
  // Released once the target has taken the files' place (its XDND status came back); a target
  // that refuses them never says so, and the release then comes after the wait.
  Eventually([&] { return hears("accepted"); }, 3000);
  Xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
  // The helper answers the player's request for the files, then ends.
  const bool ended = helper.waitForFinished(15000);
  if (!ended) helper.kill();
  return ended && hears("dropped");
}

QStringList PlayerSession::SavedTitles() const {
  TDDPlaylistModel saved;
  LoadPlaylist(saved, DataDir() + QStringLiteral("Default.pls"));
  QStringList titles;
  for (int i = 0; i < saved.Count(); ++i) titles.append(saved.Items()[i].Title);
  return titles;
}

QString PlayerSession::SettingsText() const {
  QFile f(DataDir() + QStringLiteral("Vireo.xml"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  // Written as GB2312 with references for the rest; the tests look for ASCII values.
  return QString::fromLatin1(f.readAll());
}

}  // namespace vireo::test
