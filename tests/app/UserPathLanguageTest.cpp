// The player in the user's language, as a user sees it: the captions of the main window, its
// menus and its dialogs in Chinese (the player's own texts, also for a language without a
// translation) and in English (chosen by LANG, or by LANGUAGE before it).
#include <gtest/gtest.h>

#include <QFile>

#include "PlayerSession.h"
#include "UserPathSteps.h"

namespace vireo::test {
namespace {

struct Language {
  const char* name;   // the test's name
  const char* lang;   // LANG
  const char* order;  // LANGUAGE: the user's languages in order, or empty
  bool english;
};

class InTheUsersLanguage : public testing::TestWithParam<Language> {
 protected:
  QString T(const char* zh, const char* en) const {
    return QString::fromUtf8(GetParam().english ? en : zh);
  }
  static bool MenuOpen(const QString& caption) {
    return PlayerSession::OpenMenuNames().contains(caption);
  }
  void Start(PlayerSession& s) {
    s.SetEnv(QStringLiteral("LANG"), QString::fromUtf8(GetParam().lang));
    s.SetEnv(QStringLiteral("LC_ALL"), QString());
    s.SetEnv(QStringLiteral("LC_MESSAGES"), QString());
    s.SetEnv(QStringLiteral("LANGUAGE"), QString::fromUtf8(GetParam().order));
    StartWithTracks(s, {QStringLiteral("Lang One"), QStringLiteral("Lang Two")});
  }
};

TEST_P(InTheUsersLanguage, MenusAndDialogsShowTheirCaptions) {
  PlayerSession s;
  Start(s);
  EXPECT_TRUE(PlayerSession::Property(s.WindowId(QStringLiteral("Vireo")), QStringLiteral("_NET_WM_NAME"))
                  .contains(u'"' + T("维雀", "Vireo") + u'"'));
  EXPECT_TRUE(PlayerSession::Property(s.WindowId(QStringLiteral("Vireo 桌面歌词")),
                                      QStringLiteral("_NET_WM_NAME"))
                  .contains(T("Vireo 桌面歌词", "Vireo desktop lyrics")));

  // The main menu, and its 播放 submenu opened from the keyboard.
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  EXPECT_TRUE(Eventually([&] { return MenuOpen(T("主菜单", "Main menu")); }))
      << PlayerSession::OpenMenuNames().join(u',').toStdString();
  for (int i = 0; i < 3; ++i) PlayerSession::Key(QStringLiteral("Down"));
  PlayerSession::Key(QStringLiteral("Right"));
  EXPECT_TRUE(Eventually([&] { return MenuOpen(T("播放", "Play")); }))
      << PlayerSession::OpenMenuNames().join(u',').toStdString();
  PlayerSession::Key(QStringLiteral("Escape"));
  PlayerSession::Key(QStringLiteral("Escape"));
  ASSERT_TRUE(PlayerSession::WaitMenuClosed());

  // 关于维雀...
  s.ClickMain(QStringLiteral("menu"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  PlayerSession::ChooseInMenu({0});
  const QString about = T("关于 维雀", "About Vireo");
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(about).isEmpty()) << about.toStdString();
  PlayerSession::Screenshot(QStringLiteral("language-%1-about.png").arg(QLatin1String(GetParam().name)));
  PlayerSession::Key(QStringLiteral("Return"));
  EXPECT_TRUE(Eventually([&] { return PlayerSession::WindowByTitle(about).isEmpty(); }));

  // The open dialog of the add button.
  s.ClickMain(QStringLiteral("addfile"));
  const QString open = T("打开本地歌曲", "Open local songs");
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(open).isEmpty()) << open.toStdString();
  PlayerSession::Screenshot(QStringLiteral("language-%1-open.png").arg(QLatin1String(GetParam().name)));
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(Eventually([&] { return PlayerSession::WindowByTitle(open).isEmpty(); }));

  // The delete button's menu, then 清空播放列表 and its question, answered no.
  s.ClickMain(QStringLiteral("delfile"));
  ASSERT_TRUE(PlayerSession::WaitMenu().isValid());
  EXPECT_TRUE(Eventually([&] { return MenuOpen(T("删除", "Delete")); }))
      << PlayerSession::OpenMenuNames().join(u',').toStdString();
  PlayerSession::ChooseInMenu({1});
  const QString question = T("提示", "Question");
  ASSERT_FALSE(PlayerSession::WaitWindowByTitle(question).isEmpty()) << question.toStdString();
  PlayerSession::Key(QStringLiteral("Escape"));
  EXPECT_TRUE(Eventually([&] { return PlayerSession::WindowByTitle(question).isEmpty(); }));
  EXPECT_EQ(s.Count(), 2);
  EXPECT_TRUE(s.Quit());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, InTheUsersLanguage,
    testing::Values(Language{"Chinese", "zh_CN.UTF-8", "", false},
                    Language{"English", "en_US.UTF-8", "", true},
                    // No translation into German: the player's own texts.
                    Language{"German", "de_DE.UTF-8", "", false},
                    // The user's order: German first, English next.
                    Language{"GermanThenEnglish", "de_DE.UTF-8", "de:en", true},
                    // Chinese first: kept, though English has a translation.
                    Language{"ChineseThenEnglish", "en_US.UTF-8", "zh_CN:en", false}),
    [](const testing::TestParamInfo<Language>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vireo::test
