#include "skin/TDDSkin.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>

#include "skin/TSkinApplier.h"
#include "store/EqPresets.h"

namespace vireo {
namespace {

const char* const kSkinNameProperty = "vireo_skinName";

// Captions show names as they are: "&" would otherwise mark a shortcut key.
QString Caption(const QString& name) {
  return QString(name).replace(u'&', QStringLiteral("&&"));
}

// Removes the items (and their group) an earlier build made, known by their object names.
void RemoveBuilt(QMenu* menu, const QString& prefix) {
  for (QAction* a : menu->actions()) {
    if (!a->objectName().startsWith(prefix)) continue;
    menu->removeAction(a);
    delete a;
  }
  if (auto* group = menu->findChild<QActionGroup*>(prefix, Qt::FindDirectChildrenOnly))
    delete group;
}

QAction* RadioItem(QMenu* menu, QActionGroup* group, const QString& name, const QString& caption,
                   bool checked, const TDDSkin::TMenuClick& onClick) {
  auto* item = new QAction(Caption(caption), menu);
  item->setObjectName(name);
  item->setCheckable(true);
  item->setChecked(checked);
  group->addAction(item);
  menu->addAction(item);
  if (onClick)
    QObject::connect(item, &QAction::triggered, menu, [item, onClick] { onClick(item); });
  return item;
}

}  // namespace

TDDSkin::TDDSkin(const QString& appDir, const QString& userSkinRoot, QObject* parent)
    : QObject(parent), folders_(appDir, userSkinRoot) {}

void TDDSkin::SetWindow(const QString& name, const TSkinWindow& window) {
  windows_.insert(name, window);
}

const TSkinWindow* TDDSkin::Window(const QString& name) const {
  const auto it = windows_.constFind(name);
  return it == windows_.cend() ? nullptr : &*it;
}

void TDDSkin::BuildSkinMenu(QMenu* pmm_skin, const QString& skinName, const TMenuClick& onClick) {
  if (!pmm_skin) return;
  const QString prefix = QStringLiteral("skin_");
  RemoveBuilt(pmm_skin, prefix);
  auto* group = new QActionGroup(pmm_skin);
  group->setObjectName(prefix);
  group->setExclusive(true);
  int n = 0;
  for (const TSkinFolders::Skin& skin : folders_.List()) {
    QAction* item = RadioItem(pmm_skin, group, prefix + QString::number(++n), skin.name,
                              skin.name == skinName, onClick);
    item->setProperty(kSkinNameProperty, skin.name);
  }
}

QString TDDSkin::SkinNameOf(const QAction* item) {
  return item ? item->property(kSkinNameProperty).toString() : QString();
}

void TDDSkin::BuildEQMenu(QMenu* pmm_eq, const QString& effectPath, int eqPresetId,
                          const TMenuClick& onClick) {
  if (!pmm_eq) return;
  const QString prefix = QStringLiteral("eq_");
  RemoveBuilt(pmm_eq, prefix);
  auto* group = new QActionGroup(pmm_eq);
  group->setObjectName(prefix);
  group->setExclusive(true);
  int n = 0;
  for (const EqPreset& preset : EqPresets::Read(effectPath)) {
    QAction* item = RadioItem(pmm_eq, group, prefix + QString::number(++n), preset.Name,
                              preset.Id == eqPresetId, onClick);
    item->setData(preset.Id);
  }
}

int TDDSkin::PresetIdOf(const QAction* item) {
  return item ? item->data().toInt() : 0;
}

bool TDDSkin::LoadSkin(const QString& path) {
  const TSkinScript script = TSkinScript::FromFile(path);
  lastOutcome_ = script.outcome;
  lastError_ = script.error;
  using O = TSkinScript::Outcome;
  lastUnusable_ = script.outcome == O::NotOpened || script.outcome == O::RootMissing ||
                  script.outcome == O::RootRefused;
  if (script.outcome == O::NotOpened && lastError_.isEmpty())
    lastError_ = QStringLiteral("cannot open ") + path;
  TSkinApplier applier(windows_, QFileInfo(path).path());
  const TSkinApplier::Result applied = applier.Apply(script.steps);
  if (!applied.ok) {
    lastError_ = applied.error;
    lastUnusable_ = lastUnusable_ || applied.mainFrameRefused;
    return false;
  }
  return script.Succeeded();
}

}  // namespace vireo
