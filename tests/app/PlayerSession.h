#pragma once

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

namespace vireo::test {

// One run of the real player as a user has it: its own home, XDG folders and runtime folder
// (so nothing of the machine's user is touched and the single instance is private), the test
// services' X display and sound server, and the user's means to act on it: xdotool for the
// pointer and keys, the local socket for other programs' commands, screenshots.
class PlayerSession {
 public:
  PlayerSession();
  ~PlayerSession();

  static QString PlayerPath();
  // Later starts run the player built with the test signing key (tests/data/update).
  void UseTestSigningKey() { program_ = QStringLiteral(VIREO_KEYED_PLAYER_PATH); }
  // Later starts run this player (an installed one).
  void UsePlayer(const QString& path) { program_ = path; }
  QString Home() const { return home_; }
  // The bundled demo tune, copied with its lyric into the session's own folder (the player
  // writes a shifted lyric's offset into the file beside the track), and its path.
  QString DemoTrack() const;
  QString DataDir() const;  // where Vireo.xml and Default.pls live
  QString RuntimeDir() const { return runtime_; }
  QProcessEnvironment Environment() const;
  // A variable the player's later starts get on top of the session's own.
  void SetEnv(const QString& name, const QString& value) { extraEnv_.insert(name, value); }

  // The next start finds no settings at all, as a user's very first start does (without this,
  // a start without settings writes ones that keep online lookups on loopback).
  void WithoutSettings() { defaultSettings_ = false; }
  // Writes Vireo.xml before the start (an XML text; "<MainConfig>...</MainConfig>").
  void WriteSettings(const QString& windowElements);

  // Starts the player and waits until its main window is mapped.
  bool Start(const QStringList& args = {}, int timeoutMs = 20000);
  // A second start with args; waits for it to end and returns its exit code.
  int StartAgain(const QStringList& args, int timeoutMs = 20000,
                 const QString& workingDir = QString());
  // Closes the main window as the close button does and waits for the process to end.
  // scale: the factor the player's windows are drawn at (QT_SCALE_FACTOR).
  bool Quit(int timeoutMs = 15000, double scale = 1);
  bool Running() const;
  qint64 Pid() const;

  // The local socket: a request of kind with two integers, the answer (nullopt: none).
  std::optional<int> Request(int kind, int wparam = 0, int lparam = 0);
  std::optional<int> Command(int wparam) { return Request(1807, wparam, 0); }

  // X11 windows of the player by WM_CLASS ("Vireo", "Vireo LRC", "Vireo 桌面歌词", ...).
  QString WindowId(const QString& windowClass) const;
  QRect Geometry(const QString& windowClass) const;
  QRect GeometryOnce(const QString& windowClass) const;
  // The geometry once two looks in a row agree (a window just shown may still be moving).
  QRect SettledGeometry(const QString& windowClass, int timeoutMs = 5000) const;
  bool Visible(const QString& windowClass) const;
  // Whether the X window with this id is on the screen (a cheaper look than by class).
  static bool Viewable(const QString& windowId);
  bool WaitVisible(const QString& windowClass, bool visible, int timeoutMs = 5000) const;

  // Pointer and keys, in screen coordinates.
  static bool Xdo(const QStringList& args);
  static void MoveTo(QPoint screen);
  static void Click(QPoint screen, int button = 1);
  static void DoubleClick(QPoint screen);
  static void Key(const QString& keys);
  // Presses the left button at from, moves by delta in a few steps as a hand does, releases.
  static void Drag(QPoint from, QPoint delta);
  // The screen, saved into the build folder under name (and returned).
  static QImage Screenshot(const QString& name);

  // A control's rectangle in the Default skin the player uses (its window's coordinates).
  // element: the kind of control ("label", "button", ...) when a label and a button share the id;
  // without it the button is taken.
  static QRect SkinRect(const QString& window, const QString& id, const QString& element = {});
  // Clicks the centre of a control of the main window's skin ("menu", "delfile", "play", ...).
  void ClickMain(const QString& id, int button = 1) const;

  // The pop-up menu on the screen (Qt's menus carry the class "vireo", "vireo"), or empty.
  static QString OpenMenu();
  // The window names (_NET_WM_NAME) of every pop-up menu open now: a menu and its open submenus.
  static QStringList OpenMenuNames();
  // Waits for a pop-up menu to open and returns its place on the screen (invalid: none came).
  static QRect WaitMenu(int timeoutMs = 5000);
  static bool WaitMenuClosed(int timeoutMs = 5000);
  // Chooses an item of the open menu with the keys a user presses: for each level the item's
  // index among the shown items (separators and hidden items do not count), sub-menus opened
  // with the right arrow, the last item taken with Return.
  static void ChooseInMenu(const QList<int>& path);
  // A window on the screen whose title is exactly title, or empty.
  static QString WindowByTitle(const QString& title);
  static QString WaitWindowByTitle(const QString& title, int timeoutMs = 8000);
  static QRect GeometryOf(const QString& windowId);
  // An X property of a window as xprop prints it.
  static QString Property(const QString& windowId, const QString& property);
  // Types text into the focused window as keys.
  static void Type(const QString& text);
  // Drags the files onto the screen point with the pointer, from a helper window that offers them
  // as a file manager does (text/uri-list over XDND). False when the helper did not come up.
  static bool DropFiles(const QStringList& paths, QPoint target);

  // Hovers a glyph of the desktop lyrics and waits for their toolbar; false when it did not
  // come. screenshot names the picture it looks for the glyphs in.
  bool HoverDesktopLyrics(const QString& screenshot);

  // Number of entries and the current one, as the remote control answers.
  int Count() { return Command(50).value_or(-1); }
  int Current() { return Command(51).value_or(-2); }
  // The playlist file as the player last saved it: its entries' titles, in order.
  QStringList SavedTitles() const;
  // The settings file's text.
  QString SettingsText() const;

  // The standard output and error of the player so far, for failure messages.
  QString Output();

 private:
  QTemporaryDir root_;
  QString home_;
  QString runtime_;
  std::unique_ptr<QProcess> process_;
  QString output_;
  QProcessEnvironment extraEnv_;
  QString program_ = PlayerPath();
  bool defaultSettings_ = true;
};

// Waits (polling every 50 ms) until pred holds or timeoutMs passes.
bool Eventually(const std::function<bool()>& pred, int timeoutMs = 10000);

}  // namespace vireo::test
