// The skin and equalizer menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include "SkinTestWindows.h"
#include "skin/TDDSkin.h"

using namespace vireo;
using namespace vireo::test;

namespace {

std::vector<std::string> Describe(const QMenu& menu) {
  std::vector<std::string> out;
  for (const QAction* a : menu.actions())
    out.push_back(
        QString(a->objectName() + u' ' + a->text() + (a->isChecked() ? u" *" : u"")).toStdString());
  return out;
}

}  // namespace

TEST(SkinMenu, ListsSkinFoldersAndChecksTheCurrentOne) {
  QTemporaryDir tmp;
  for (const char* d : {"Default", "Blue", ".svn", "R&B"})
    QDir().mkpath(tmp.filePath(QStringLiteral("skin/") + QLatin1StringView(d)));
  QDir().mkpath(tmp.filePath(QStringLiteral("user/Mine")));
  TDDSkin skin(tmp.path(), tmp.filePath(QStringLiteral("user")));
  QMenu pmm_skin;
  QAction* before = pmm_skin.addAction(QStringLiteral("other item"));
  QList<QAction*> clicked;
  skin.BuildSkinMenu(&pmm_skin, QStringLiteral("Default"), [&](QAction* item) { clicked << item; });
  EXPECT_EQ(Describe(pmm_skin),
            (std::vector<std::string>{" other item", "skin_1 Blue", "skin_2 Default *",
                                      "skin_3 R&&B", "skin_4 Mine"}));
  const QList<QAction*> items = pmm_skin.actions();
  EXPECT_EQ(TDDSkin::SkinNameOf(items[3]), QStringLiteral("R&B"));
  EXPECT_EQ(TDDSkin::SkinNameOf(items[4]), QStringLiteral("Mine"));
  EXPECT_EQ(skin.SkinDir(QStringLiteral("Mine")), tmp.filePath(QStringLiteral("user/Mine/")));

  // Choosing one: the handler gets it checked, the others unchecked.
  items[1]->trigger();
  ASSERT_EQ(clicked.size(), 1);
  EXPECT_EQ(clicked[0], items[1]);
  EXPECT_TRUE(items[1]->isChecked());
  EXPECT_FALSE(items[2]->isChecked());
  EXPECT_FALSE(before->isChecked());

  // Built again (a skin was added): no item twice, other items untouched.
  QDir().mkpath(tmp.filePath(QStringLiteral("skin/Aqua")));
  skin.BuildSkinMenu(&pmm_skin, QStringLiteral("Blue"), nullptr);
  EXPECT_EQ(Describe(pmm_skin),
            (std::vector<std::string>{" other item", "skin_1 Aqua", "skin_2 Blue *",
                                      "skin_3 Default", "skin_4 R&&B", "skin_5 Mine"}));

  // No skin folder: an empty menu.
  QMenu empty;
  TDDSkin(tmp.filePath(QStringLiteral("none")), tmp.filePath(QStringLiteral("none2")))
      .BuildSkinMenu(&empty, QStringLiteral("Default"), nullptr);
  EXPECT_TRUE(empty.actions().isEmpty());
}

TEST(SkinMenu, EqualizerMenuFromThePresetFile) {
  QTemporaryDir tmp;
  const QString path = tmp.filePath(QStringLiteral("effect.dat"));
  WriteFile(path,
            "<?xml version=\"1.0\" encoding=\"GB2312\"?><effect>"
            "<eq id=\"1\" name=\"Pop\" q1=\"3\"/><EQ id=\"3\" name=\"Rock\" q1=\"5\"/>"
            "<eq id=\"3\" name=\"Rock 2\" q1=\"6\"/><eq id=\"x\" name=\"Broken\"/>"
            "<eq id=\"8\" name=\"Jazz &amp; Blues\"/></effect>");
  TDDSkin skin(tmp.path());
  QMenu pmm_eq;
  QList<int> applied;
  skin.BuildEQMenu(&pmm_eq, path, 0, [&](QAction* item) { applied << TDDSkin::PresetIdOf(item); });
  // With preset 0 nothing is checked; both presets with id 3 are offered.
  EXPECT_EQ(Describe(pmm_eq), (std::vector<std::string>{"eq_1 Pop", "eq_2 Rock", "eq_3 Rock 2",
                                                        "eq_4 Jazz && Blues"}));
  const QList<QAction*> items = pmm_eq.actions();
  items[2]->trigger();
  EXPECT_EQ(applied, QList<int>{3});
  EXPECT_TRUE(items[2]->isChecked());
  items[0]->trigger();
  EXPECT_FALSE(items[2]->isChecked());
  EXPECT_EQ(applied, (QList<int>{3, 1}));

  skin.BuildEQMenu(&pmm_eq, path, 3, nullptr);
  EXPECT_EQ(Describe(pmm_eq), (std::vector<std::string>{"eq_1 Pop", "eq_2 Rock *", "eq_3 Rock 2 *",
                                                        "eq_4 Jazz && Blues"}));

  QMenu none;
  skin.BuildEQMenu(&none, tmp.filePath(QStringLiteral("missing.dat")), 0, nullptr);
  EXPECT_TRUE(none.actions().isEmpty());
}
