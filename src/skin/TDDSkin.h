#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

#include "skin/TSkinFolders.h"
#include "skin/TSkinScript.h"
#include "skin/TSkinTargets.h"

class QAction;
class QMenu;

namespace vireo {

// The skins of the player: lists the installed and the user's skins in the skin menu, applies a
// skin's "skin.xml" to the registered windows, and builds the equalizer menu from "effect.dat".
// Made once by the main window at start-up; each window registers itself (SetWindow) before the
// first LoadSkin. Keeps no state of the skin applied: a skin sets exactly what its elements
// name, everything else keeps what the previous skin or the window's design gave it.
// UI thread only.
class TDDSkin : public QObject {
 public:
  using TMenuClick = std::function<void(QAction* item)>;

  // appDir: the folder of the executable (its "skin/" holds the installed skins); userSkinRoot:
  // the per-user skin folder, empty for $XDG_DATA_HOME/vireo/skins/.
  explicit TDDSkin(const QString& appDir, const QString& userSkinRoot = QString(),
                   QObject* parent = nullptr);

  const TSkinFolders& Folders() const { return folders_; }
  // The folder of a skin by name (SkinDir), with a trailing '/'.
  QString SkinDir(const QString& skinName) const { return folders_.SkinDir(skinName); }

  // A window hands over its table ("main", "share", "lrc", "desktoplrc"); handing one again
  // replaces it. See TSkinTargets.h for what each window lists.
  void SetWindow(const QString& name, const TSkinWindow& window);
  const TSkinWindow* Window(const QString& name) const;

  // Appends one radio item per skin to pmm_skin (after removing the items an earlier call made):
  // object name "skin_" + n from 1, caption the folder name, checked when it is skinName,
  // triggering onClick (the main window's mSkinClick) with the item, which is checked by then
  // and the others not. The skin's name is SkinNameOf(item) (the caption may carry "&&").
  void BuildSkinMenu(QMenu* pmm_skin, const QString& skinName, const TMenuClick& onClick);
  static QString SkinNameOf(const QAction* item);

  // Appends one radio item per preset of the file at effectPath to pmm_eq (after removing the
  // items of an earlier call): object name "eq_" + n, caption the preset's name, tag its id
  // (PresetIdOf), checked when the id is eqPresetId, triggering onClick (mEQClick: apply the
  // preset) with the item, checked by then. A missing file gives no items.
  void BuildEQMenu(QMenu* pmm_eq, const QString& effectPath, int eqPresetId,
                   const TMenuClick& onClick);
  static int PresetIdOf(const QAction* item);

  // Applies a skin.xml (path: SkinDir + "skin.xml"); images are read relative to its folder.
  // True when it was applied to its end, and when it cannot be opened at all (nothing applied,
  // the windows keep their look); false when the root is missing or not version 3.0 (nothing
  // applied), or when a bad colour or an unreadable image stopped it (what came before stays).
  // LastError() says why, for a log; the user sees nothing.
  bool LoadSkin(const QString& path);
  // Whether the last LoadSkin left the player without a skin to be used by eye: the file could
  // not be opened, its root was refused, or the main window's own frame image could not be
  // read. Then the caller falls back to another skin; a skin that stopped later keeps the rule
  // above (what came before stays).
  bool LastUnusable() const { return lastUnusable_; }
  QString LastError() const { return lastError_; }
  TSkinScript::Outcome LastOutcome() const { return lastOutcome_; }

 private:
  TSkinFolders folders_;
  QHash<QString, TSkinWindow> windows_;
  QString lastError_;
  TSkinScript::Outcome lastOutcome_ = TSkinScript::Outcome::Complete;
  bool lastUnusable_ = false;
};

}  // namespace vireo
