#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>

#include "LibraryTestHost.h"
#include "TestEnv.h"
#include "app/librarywindow/TLibraryWebPage.h"
#include "app/librarywindow/TPetrelShare.h"
#include "app/skinning/EdgeResize.h"
#include "skin/TDDSkin.h"

using namespace vireo;
using vireo::test::FakeLibraryHost;
using vireo::test::FakeMusicSearch;
using vireo::test::WaitUntil;

namespace {

// "vireo://" + Base64 of the URL-encoded UTF-8 payload, as the service writes its links.
QString Link(const QString& payload, const QString& tail) {
  return QStringLiteral("vireo://") +
         QString::fromLatin1(QUrl::toPercentEncoding(payload).toBase64()) + tail;
}

class LibraryWindow : public testing::Test {
 protected:
  void SetUp() override {
    search = std::make_shared<FakeMusicSearch>(30);
    host.search = search;
    share = std::make_unique<TPetrelShare>(&host);
  }
  void TearDown() override {
    search->searchGate.release(100);
    search->urlGate.release(100);
    // Let the workers end before the component goes.
    ASSERT_TRUE(WaitUntil([&] { return !share->Searching() && !share->Resolving(); }, 10000));
    share.reset();
  }
  void Click(TDDButton* b) { b->OnClick(b); }
  bool SearchDone() {
    return WaitUntil([&] { return !share->Searching(); }, 10000);
  }
  int Roots() const { return share->dvt1->topLevelItemCount(); }
  void ClickCell(int row, int column) {
    share->dvt1->setCurrentItem(share->dvt1->topLevelItem(row));
    share->dvt1ColumnClick(column);
  }

  FakeLibraryHost host;
  std::shared_ptr<FakeMusicSearch> search;
  std::unique_ptr<TPetrelShare> share;
};

TEST_F(LibraryWindow, SearchFillsTheFoldedListWithResultsAndTheirTwoDetailRows) {
  share->show();
  EXPECT_EQ(share->spl1->sizes().value(1), 0);  // folded away until the first search
  share->edt_search->setText(QStringLiteral("晴天"));
  Click(share->btn_Search);
  EXPECT_TRUE(share->Searching());
  EXPECT_FALSE(share->btn_Next->isEnabled());
  EXPECT_FALSE(share->btn_Previous->isEnabled());
  EXPECT_EQ(share->spl1->sizes().value(1), TPetrelShare::kListHeight);
  ASSERT_TRUE(SearchDone());
  EXPECT_TRUE(share->btn_Next->isEnabled());
  EXPECT_TRUE(share->btn_Previous->isEnabled());
  ASSERT_EQ(search->Searches().size(), 1);
  EXPECT_EQ(search->Searches()[0], qMakePair(QStringLiteral("晴天"), 0));
  ASSERT_EQ(Roots(), 30);

  QTreeWidget* list = share->dvt1;
  ASSERT_EQ(list->columnCount(), 5);
  const QStringList heads = {QStringLiteral("歌曲名"), QStringLiteral("歌手"),
                             QStringLiteral("专辑"), QStringLiteral("播放"),
                             QStringLiteral("添加")};
  const int widths[] = {0, 100, 100, 40, 40};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(list->headerItem()->text(c), heads[c]);
    if (c > 0) {
      EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
  }
  // The play and add columns stay in sight; the title takes the rest.
  EXPECT_EQ(list->columnWidth(0) + 280, list->viewport()->width());
  QTreeWidgetItem* row = list->topLevelItem(7);
  EXPECT_EQ(row->text(0), QStringLiteral("晴天 7"));
  EXPECT_EQ(row->text(1), QStringLiteral("歌手7"));
  EXPECT_EQ(row->text(2), QStringLiteral("专辑7"));
  EXPECT_EQ(row->text(3), QStringLiteral(" "));
  EXPECT_EQ(row->text(4), QStringLiteral(" "));
  ASSERT_EQ(row->childCount(), 2);
  EXPECT_EQ(row->child(0)->text(0), QStringLiteral("速度：135"));
  EXPECT_EQ(row->child(1)->text(0), QStringLiteral("大小：8.0 MB"));
  EXPECT_TRUE(row->child(0)->text(1).isEmpty());
  const TPetrelShare::TResultRecord* r = TPetrelShare::RecordOf(row->child(1));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Key, QStringLiteral("key7"));
  EXPECT_EQ(r->Extra, 1007);
  EXPECT_EQ(r->ImageIndex, 2);
  EXPECT_EQ(TPetrelShare::RecordOf(row)->ImageIndex, 0);
  EXPECT_FALSE(row->icon(3).isNull());
  EXPECT_FALSE(row->icon(4).isNull());
  EXPECT_TRUE(row->icon(1).isNull());
}

TEST_F(LibraryWindow, PagesByThirtyOnlyAfterAFullPage) {
  share->show();
  Click(share->btn_Previous);  // page 0: nothing
  EXPECT_TRUE(search->Searches().isEmpty());
  share->edt_search->setText(QStringLiteral("song"));
  Click(share->btn_Search);
  ASSERT_TRUE(SearchDone());
  Click(share->btn_Next);  // exactly 30: the next page
  ASSERT_TRUE(SearchDone());
  EXPECT_EQ(share->PageIndex(), 1);
  ASSERT_EQ(search->Searches().size(), 2);
  EXPECT_EQ(search->Searches()[1], qMakePair(QStringLiteral("song"), 30));
  EXPECT_EQ(share->dvt1->topLevelItem(0)->text(0), QStringLiteral("song 30"));
  Click(share->btn_Previous);
  ASSERT_TRUE(SearchDone());
  EXPECT_EQ(share->PageIndex(), 0);
  EXPECT_EQ(search->Searches().last(), qMakePair(QStringLiteral("song"), 0));

  search->perPage = 29;
  Click(share->btn_Search);
  ASSERT_TRUE(SearchDone());
  ASSERT_EQ(Roots(), 29);
  Click(share->btn_Next);  // 29 results: the last page
  EXPECT_FALSE(share->Searching());
  EXPECT_EQ(share->PageIndex(), 0);
  EXPECT_EQ(search->Searches().size(), 4);
}

TEST_F(LibraryWindow, ASecondPressStopsTheRunningSearchAndKeepsWhatItListed) {
  share->show();
  // While the component still searches, more presses only ask the search to stop.
  search->holdSearch = true;
  Click(share->btn_Search);
  Click(share->btn_Search);
  Click(share->btn_Search);
  search->searchGate.release();
  ASSERT_TRUE(SearchDone());
  EXPECT_EQ(search->Searches().size(), 1);
  EXPECT_EQ(Roots(), 0);
  EXPECT_TRUE(share->btn_Next->isEnabled());

  // A press while results are being listed: the row being added is the last one.
  search->holdSearch = false;
  search->onGetItem = [&](int i) {
    if (i == 2) Click(share->btn_Search);
  };
  Click(share->btn_Search);
  ASSERT_TRUE(SearchDone());
  search->onGetItem = nullptr;
  EXPECT_EQ(search->Searches().size(), 2);
  EXPECT_EQ(Roots(), 3);
  // The hint is searched as typed.
  EXPECT_EQ(search->Searches()[0].first, TPetrelShare::Hint());
}

TEST_F(LibraryWindow, AClickWhileAnAddressResolvesAppliesItsActionToThatAddress) {
  share->show();
  Click(share->btn_Search);
  ASSERT_TRUE(SearchDone());
  search->holdUrl = true;
  ClickCell(4, 3);  // play row 4
  EXPECT_TRUE(share->Resolving());
  EXPECT_EQ(share->PendingAction(), TPetrelShare::paPlay);
  ClickCell(9, 4);  // add row 9: no second resolution, but the action changes
  EXPECT_EQ(share->PendingAction(), TPetrelShare::paAdd);
  EXPECT_EQ(TPetrelShare::RecordOf(share->dvt1->topLevelItem(4))->ImageIndex, 4);
  EXPECT_EQ(TPetrelShare::RecordOf(share->dvt1->topLevelItem(9))->ImageIndex, 4);
  search->urlGate.release();
  ASSERT_TRUE(WaitUntil([&] { return !share->Resolving(); }, 10000));
  EXPECT_EQ(search->urlCalls.load(), 1);
  ASSERT_EQ(host.entries.size(), 1u);
  const TDDPlaylistItem& e = host.entries[0];
  EXPECT_EQ(e.FileName, QStringLiteral("http://127.0.0.1:9/key4?x=1004"));
  EXPECT_EQ(e.Title, TPetrelShare::Hint() + QStringLiteral(" 4"));
  EXPECT_EQ(e.Artist, QStringLiteral("歌手4"));
  EXPECT_EQ(e.Alum, QStringLiteral("专辑4"));
  EXPECT_EQ(e.Caption, e.Title + QStringLiteral(" - 歌手4"));
  EXPECT_TRUE(e.ISURL);
  EXPECT_FALSE(host.plays[0]);  // the latest click was "add"

  search->holdUrl = false;
  ClickCell(1, 3);
  ASSERT_TRUE(WaitUntil([&] { return !share->Resolving(); }, 10000));
  ASSERT_EQ(host.entries.size(), 2u);
  EXPECT_TRUE(host.plays[1]);
  EXPECT_EQ(host.entries[1].Artist, QStringLiteral("歌手1"));

  // A click on the title column resolves, and then nothing is added.
  ClickCell(2, 0);
  EXPECT_EQ(share->PendingAction(), TPetrelShare::paNone);
  ASSERT_TRUE(WaitUntil([&] { return !share->Resolving(); }, 10000));
  EXPECT_EQ(host.entries.size(), 2u);
  // A detail row is no target.
  share->dvt1->setCurrentItem(share->dvt1->topLevelItem(3)->child(0));
  share->dvt1ColumnClick(3);
  EXPECT_FALSE(share->Resolving());
  EXPECT_EQ(search->urlCalls.load(), 3);
}

TEST_F(LibraryWindow, LinksOfThePlayersSchemeAreCommandsAndNeverFollowed) {
  const QString track = QStringLiteral("http://127.0.0.1:9/a.mp3|晴天|周杰伦");
  // Upper-case scheme word and a trailing slash: still the play command.
  const QString play = Link(track, QStringLiteral("|abc123PL"));
  EXPECT_TRUE(share->MinWebBeforeNavigate2(QStringLiteral("VIREO") + play.mid(5) + u'/'));
  ASSERT_EQ(host.links.size(), 1);
  EXPECT_EQ(host.links[0], QStringLiteral("VIREO") + play.mid(5));
  EXPECT_TRUE(host.plays[0]);
  EXPECT_EQ(host.entries[0].Title, QStringLiteral("晴天"));
  EXPECT_EQ(host.saves, 1);

  EXPECT_TRUE(share->MinWebBeforeNavigate2(Link(track, QStringLiteral("|abc123AL"))));
  EXPECT_EQ(host.links.size(), 2);
  EXPECT_EQ(host.saves, 2);
  // Command letters are compared exactly: intercepted, but nothing is done.
  EXPECT_TRUE(share->MinWebBeforeNavigate2(Link(track, QStringLiteral("|abc123pl"))));
  EXPECT_EQ(host.links.size(), 2);
  // Other addresses are navigated to.
  EXPECT_FALSE(share->MinWebBeforeNavigate2(QStringLiteral("http://127.0.0.1/vireo/PL")));

  share->show();
  EXPECT_TRUE(
      share->MinWebBeforeNavigate2(Link(QStringLiteral("周杰伦 晴天"), QStringLiteral("|SH"))));
  EXPECT_EQ(share->edt_search->text(), QStringLiteral("周杰伦 晴天"));
  ASSERT_TRUE(SearchDone());
  ASSERT_EQ(search->Searches().size(), 1);
  EXPECT_EQ(search->Searches()[0], qMakePair(QStringLiteral("周杰伦 晴天"), 0));
  EXPECT_EQ(Roots(), 30);
}

TEST_F(LibraryWindow, WithoutASearchComponentSearchingDoesNothingAndLeavesTheButtonsUsable) {
  host.search.reset();
  share->show();
  Click(share->btn_Search);
  EXPECT_FALSE(share->Searching());
  EXPECT_TRUE(share->btn_Next->isEnabled());
  EXPECT_EQ(Roots(), 0);
}

TEST_F(LibraryWindow, TheSearchBoxShowsItsHintWhileEmptyAndUnfocused) {
  share->show();
  share->activateWindow();
  EXPECT_EQ(share->edt_search->text(), TPetrelShare::Hint());
  share->edt_search->setFocus();
  ASSERT_TRUE(WaitUntil([&] { return share->edt_search->hasFocus(); }, 3000));
  EXPECT_TRUE(share->edt_search->text().isEmpty());
  share->edt_search->setText(QStringLiteral("   "));
  share->btn_back->setFocus();
  share->dvt1->setFocus();
  ASSERT_TRUE(WaitUntil([&] { return !share->edt_search->hasFocus(); }, 3000));
  EXPECT_EQ(share->edt_search->text(), TPetrelShare::Hint());
}

TEST_F(LibraryWindow, ClosingHidesAndUnchecksAndTheLibraryButtonPlacesItBesideTheMainWindow) {
  QWidget main;
  main.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  main.setGeometry(100, 120, 300, 200);
  main.show();
  host.main = &main;
  share->Toggle();
  EXPECT_TRUE(share->isVisible());
  EXPECT_TRUE(host.checked);
  EXPECT_EQ(share->pos(), QPoint(main.frameGeometry().left() + main.frameGeometry().width(),
                                 main.frameGeometry().top()));
  Click(share->btn_close);
  EXPECT_FALSE(share->isVisible());
  EXPECT_FALSE(host.checked);
  share->Toggle();
  EXPECT_TRUE(host.checked);
  share->Toggle();
  EXPECT_FALSE(host.checked);
}

TEST_F(LibraryWindow, BothBundledSkinsApplyToTheWindow) {
  for (const char* name : {"Light", "Default"}) {
    TDDSkin skin(QStringLiteral(VIREO_SOURCE_DIR));
    share->RegisterSkin(skin);
    const QString path =
        QStringLiteral(VIREO_SOURCE_DIR "/skins/%1/skin.xml").arg(QString::fromLatin1(name));
    ASSERT_TRUE(skin.LoadSkin(path)) << name << " " << skin.LastError().toStdString();
    EXPECT_EQ(share->size(), QSize(640, 480)) << name;
    EXPECT_EQ(share->pnl_psvs->geometry(), QRect(8, 70, 624, 402)) << name;
    EXPECT_EQ(share->btn_Search->geometry(), QRect(516, 35, 28, 26)) << name;
    EXPECT_EQ(share->btn_close->geometry(), QRect(608, 3, 26, 22)) << name;
    for (TDDButton* b :
         {share->btn_back, share->btn_forward, share->btn_refresh, share->btn_min, share->btn_max,
          share->btn_close, share->btn_Search, share->btn_Previous, share->btn_Next})
      EXPECT_FALSE(b->Image().Empty()) << name << " " << b->objectName().toStdString();
    EXPECT_EQ(share->edt_search->geometry(), QRect(324, 39, 186, 18)) << name;
  }
  // Anchored to the right: the search box and its buttons follow a wider window.
  share->show();
  share->resize(800, 500);
  ASSERT_TRUE(WaitUntil([&] { return share->width() == 800; }, 3000));
  EXPECT_EQ(share->btn_Search->geometry(), QRect(676, 35, 28, 26));
  EXPECT_EQ(share->pnl_psvs->geometry(), QRect(8, 70, 784, 422));
}

}  // namespace

namespace {

TEST(LibraryEdgeResize, TheBorderSetsSizingCursorsAndTheInsideMoves) {
  FakeLibraryHost host;
  TPetrelShare share(&host);
  share.resize(200, 100);
  EXPECT_FALSE(EdgeResize(&share, 1, 50, false));
  EXPECT_EQ(share.cursor().shape(), Qt::SizeHorCursor);
  EXPECT_FALSE(EdgeResize(&share, 199, 99, false));
  EXPECT_EQ(share.cursor().shape(), Qt::SizeFDiagCursor);
  // Inside: the arrow again, so that a press there moves the window.
  EXPECT_TRUE(EdgeResize(&share, 100, 50, true));
  EXPECT_EQ(share.cursor().shape(), Qt::ArrowCursor);
}

TEST(LibraryWindowOnScreen, CarriesItsClassMaximisesWithinTheWorkAreaAndDocksToTheMainWindow) {
  if (QGuiApplication::platformName() != u"xcb") GTEST_SKIP() << "needs X11 (Xvfb)";
  FakeLibraryHost host;
  TPetrelShare share(&host);
  share.setGeometry(300, 100, 640, 480);
  share.show();
  ASSERT_TRUE(WaitUntil([&] { return share.windowHandle()->isExposed(); }, 5000));
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"),
              {QStringLiteral("-id"), QString::number(share.winId()), QStringLiteral("WM_CLASS")});
  ASSERT_TRUE(xprop.waitForFinished(5000));
  EXPECT_EQ(xprop.readAllStandardOutput().trimmed().toStdString(),
            std::string("WM_CLASS(STRING) = \"vireo\", \"Vireo SHARE\""));

  // Docking: lined up against the main window (Tag 1), it travels with it.
  TDDForm main;
  main.SetTag(1);
  main.setGeometry(share.frameGeometry().left() - 300, share.frameGeometry().top(), 300, 200);
  main.show();
  ASSERT_TRUE(WaitUntil([&] { return main.windowHandle()->isExposed(); }, 5000));
  ASSERT_TRUE(WaitUntil(
      [&] { return main.frameGeometry().right() + 1 == share.frameGeometry().left(); }, 3000));
  main.EnterSizeMove();
  EXPECT_EQ(share.Tag(), 2);
  main.WindowPosChanging(main.frameGeometry().translated(0, 40));
  main.ExitSizeMove();
  EXPECT_EQ(share.Tag(), 0);
  EXPECT_EQ(share.pos(), QPoint(300, 140));

  // Maximised, the window leaves the panel visible: at most the work area's height.
  share.btn_max->OnClick(share.btn_max);
  ASSERT_TRUE(WaitUntil([&] { return share.isMaximized(); }, 3000));
  EXPECT_LE(share.maximumHeight(), share.screen()->availableGeometry().height());
  share.btn_max->OnClick(share.btn_max);
  ASSERT_TRUE(WaitUntil([&] { return !share.isMaximized(); }, 3000));
}

}  // namespace
