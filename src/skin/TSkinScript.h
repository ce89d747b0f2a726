#pragma once

#include <QString>
#include <vector>

#include "skin/TSkinElements.h"
#include "skin/TSkinTag.h"

namespace vireo {

// The windows a skin file has sections for.
enum class TSkinWindowId : std::uint8_t { None, Main, Share, Lrc };

// What a step of a skin sets.
enum class TSkinElementKind : std::uint8_t {
  Window,         // the window of the section: frame, size, limits
  Button,         // "button"
  CheckedButton,  // "ckbutton"
  Label,          // "label"
  ScrollText,     // "scrolltext"
  Slider,         // "slider"
  List,           // "list": the playlist, its scroll bar and the panel shown instead of it
  LyricView,      // "visual" "minlrc"
  Spectrum,       // "visual" "ost"
  DesktopLyric,   // "visual" "desktoplrc"
  Panel,          // "panel"
  Text,           // "text"
};

// One element of a skin file that addresses a control, with its values converted.
struct TSkinStep {
  TSkinElementKind kind = TSkinElementKind::Window;
  // The section the element stands in (for a window step: the window it skins).
  TSkinWindowId section = TSkinWindowId::None;
  // The window that owns the addressed control, as the windows register themselves with the
  // loader: "main", "share", "lrc" or "desktoplrc".
  QString owner;
  // The control's field name in its window ("btn_del", "lbl_time", "sldr_volume", ...); empty
  // for a window step and for the desktop lyrics, which are a window of their own.
  QString control;
  TSkinValuesOf values;
  int line = 0;
};

// A skin file turned into the steps that apply it, by the rules of the format: the root
// "petrel.skin" with "ver" exactly "3.0" (name without case); window sections by their first
// start tag per id ("main", "share", "lrc", without case; a repeated or unknown id leaves the
// current section as it was); control elements only as empty-element tags with at least one
// attribute, dispatched by name (without case) and id (without case) to the control they
// address; every value converted first, so a bad colour ends the steps before its element.
// Nothing here touches a window: the applier walks the steps.
class TSkinScript {
 public:
  enum class Outcome {
    Complete,     // read to the end
    NotOpened,    // the file could not be opened: nothing to apply, and that is no failure
    RootMissing,  // no "petrel.skin" element
    RootRefused,  // "ver" is not "3.0"
    BadColor,     // a colour that is not six hexadecimal digits: steps stop before its element
    Broken,       // the file could not be read to its end: the steps before the fault
  };

  static TSkinScript FromFile(const QString& path);
  static TSkinScript FromBytes(const QByteArray& bytes);
  // The rules over tags already read; complete tells whether they reach the file's end.
  static TSkinScript FromTags(const std::vector<TSkinTag>& tags, bool complete,
                              const QString& readError = QString());

  Outcome outcome = Outcome::Complete;
  std::vector<TSkinStep> steps;
  // Why the steps end early, or the first fault of a file read leniently.
  QString error;

  // Whether loading counts as done once every step is applied.
  bool Succeeded() const { return outcome == Outcome::Complete || outcome == Outcome::NotOpened; }
};

}  // namespace vireo
