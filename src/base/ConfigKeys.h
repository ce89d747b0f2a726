#pragma once

#include <QLatin1StringView>
#include <QString>

namespace vireo {

// Every key of the main configuration file "Vireo.xml" and its default, in one place: the store
// reads and writes them, and the modules whose settings they are (lyrics, library) take their
// defaults from here. Values are attributes of elements ("Window/..." for the player's own,
// "Lyrics/..." and "Library/..." for the online services); numbers and booleans are decimal text
// ("0"/"1"). The names and values are what users' files already hold: never rename one.
struct ConfigKey {
  QLatin1StringView path;
  QLatin1StringView attribute;
  QString Path() const { return QString(path); }
  QString Attribute() const { return QString(attribute); }
};

namespace config {

inline constexpr QLatin1StringView kFileName{"Vireo.xml"};
inline constexpr QLatin1StringView kRootName{"MainConfig"};

// Play mode code, mapped to PlayMode (see PlayModeFromPattern).
inline constexpr ConfigKey kPlayPattern{QLatin1StringView("Window/PLAY"),
                                        QLatin1StringView("PATTERN")};
inline constexpr int kPlayPatternDefault = 0;
// Volume levelling (menu item "音量均衡").
inline constexpr ConfigKey kDBGain{QLatin1StringView("Window/DBGain"), QLatin1StringView("Value")};
inline constexpr bool kDBGainDefault = false;
// Lyric folder; default DataDir + "lrc".
inline constexpr ConfigKey kLrcPath{QLatin1StringView("Window/LRC"), QLatin1StringView("PATH")};
inline constexpr QLatin1StringView kLrcFolder{"lrc"};
// Song cache folder; default DataDir + "music".
inline constexpr ConfigKey kMusicPath{QLatin1StringView("Window/MUSIC"), QLatin1StringView("PATH")};
inline constexpr QLatin1StringView kMusicFolder{"music"};
// Playlist file; default DataDir + "Default.pls".
inline constexpr ConfigKey kPlaylistPath{QLatin1StringView("Window/PLIST"),
                                         QLatin1StringView("PATH")};
inline constexpr QLatin1StringView kPlaylistFile{"Default.pls"};
// Equalizer preset id; 0 is no preset.
inline constexpr ConfigKey kEqId{QLatin1StringView("Window/EQ"), QLatin1StringView("ID")};
inline constexpr int kEqIdDefault = 0;
// Skin folder name under AppDir + "skin/".
inline constexpr ConfigKey kSkinName{QLatin1StringView("Window/SKIN"), QLatin1StringView("NAME")};
inline constexpr QLatin1StringView kSkinNameDefault{"Default"};
// Volume slider position 0..100.
inline constexpr ConfigKey kVolume{QLatin1StringView("Window/Volume"), QLatin1StringView("Value")};
inline constexpr int kVolumeDefault = 65;
// The web service's host ("name" or "name:port"); empty means offline. Read at start-up only:
// the user edits it by hand, the player never writes it.
inline constexpr ConfigKey kServiceHost{QLatin1StringView("Window/SERVICE"),
                                        QLatin1StringView("HOST")};
inline constexpr QLatin1StringView kServiceHostDefault{""};

// Where the user last dragged the desktop lyrics (screen pixels); written only once they were
// dragged, and a place off every screen falls back to the bottom of the work area.
inline constexpr ConfigKey kDesktopLyricsLeft{QLatin1StringView("Window/DESKTOPLRC"),
                                              QLatin1StringView("LEFT")};
inline constexpr ConfigKey kDesktopLyricsTop{QLatin1StringView("Window/DESKTOPLRC"),
                                             QLatin1StringView("TOP")};
inline constexpr int kDesktopLyricsUnset = -2147483647 - 1;

// What the user set in the windows themselves and finds again at the next start: the mute
// button, the kind of lyrics shown (0 desktop, 1 lyric window) and where the windows were and
// how large (screen pixels; a window with no stored place opens where the first start puts it).
inline constexpr ConfigKey kMute{QLatin1StringView("Window/MUTE"), QLatin1StringView("Value")};
inline constexpr ConfigKey kLyricMode{QLatin1StringView("Window/LYRICMODE"),
                                      QLatin1StringView("Value")};
// Whether the lyrics show the translations a lyric file carries under their lines.
inline constexpr ConfigKey kShowTranslations{QLatin1StringView("Window/LYRICTRANS"),
                                             QLatin1StringView("Value")};
inline constexpr bool kShowTranslationsDefault = true;
inline constexpr QLatin1StringView kMainWindowPath{"Window/MAINWIN"};
inline constexpr QLatin1StringView kLyricWindowPath{"Window/LYRICWIN"};
inline constexpr QLatin1StringView kLibraryWindowPath{"Window/SHAREWIN"};

// Where the LRCLIB lyric service lives; a private mirror can stand in for it. Read at start-up
// only, like the service host.
inline constexpr ConfigKey kLrclibUrl{QLatin1StringView("Lyrics/LRCLIB"), QLatin1StringView("URL")};
inline constexpr QLatin1StringView kLrclibUrlDefault{"https://lrclib.net"};
// Where the library's archive search goes: the Internet Archive, or a mirror that answers its
// search and metadata API. Read at start-up only.
inline constexpr ConfigKey kArchiveUrl{QLatin1StringView("Library/ARCHIVE"),
                                       QLatin1StringView("URL")};
inline constexpr QLatin1StringView kArchiveUrlDefault{"https://archive.org"};

}  // namespace config
}  // namespace vireo
