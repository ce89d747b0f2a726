#pragma once

// The main and lyric windows of the skin screenshot tests, built as the player's design builds
// them, before any skin.
#include <QLabel>
#include <cmath>
#include <memory>
#include <vector>

#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDVIS.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"
#include "skin/TDDSkin.h"
#include "skin/TSkinLyricViewAdapter.h"
#include "skin/TSkinPlaylistAdapter.h"
#include "skin/TSkinVisAdapter.h"

namespace vireo::test {

template <class T>
inline T* Make(QWidget* parent, const char* name, TSkinWindow& table) {
  auto* w = new T(parent);
  w->setObjectName(QLatin1StringView(name));
  table.Add({w});
  return w;
}

// The main window as its design builds it, before any skin.
struct MainWindow {
  TDDFormEx form;
  TSkinWindow table;
  TDDPlaylist* list = nullptr;
  TDDVIS* vis = nullptr;

  MainWindow() {
    form.SetTag(1);
    table.Form = &form;
    table.Frame = Make<TDDWindow>(&form, "frame", table);
    for (const char* name : {"btn_previous", "btn_next", "btn_menu", "btn_min", "btn_rndlist",
                             "btn_addfile", "btn_del", "btn_listm", "btn_mode", "btn_close"})
      Make<TDDButton>(&form, name, table);
    for (const char* name : {"btn_play", "btn_sound", "btn_share", "btn_lrc"})
      Make<TDDCheckedButton>(&form, name, table);
    qobject_cast<TDDCheckedButton*>(table.Controls.value(QStringLiteral("btn_play")).data())
        ->SetChecked(true);
    Make<QLabel>(&form, "lbl_time", table)->setText(QStringLiteral("01:23 / 04:56"));
    Make<QLabel>(&form, "lbl_mode", table)->setText(QStringLiteral("顺序播放"));
    Make<QLabel>(&form, "lbl_stack", table)->setText(QStringLiteral("播放中"));
    Make<TScrollText>(&form, "lbl_title", table)
        ->SetScrollingText(QStringLiteral("陈绮贞 - 旅行的意义 (Vireo 维雀)"));
    auto* music = Make<TDDSliderBlendEx>(&form, "sldr_music", table);
    music->SetMax(100);
    music->SetPosition(40);
    auto* volume = Make<TDDSliderBlendEx>(&form, "sldr_volume", table);
    volume->SetMax(100);
    volume->SetPosition(65);
    auto* panel = Make<QWidget>(&form, "pnl_1", table);
    auto* open = Make<TDDLinkLabel>(panel, "lbl_open", table);
    open->setText(QStringLiteral("打开文件"));
    open->adjustSize();
    auto* rnd = Make<TDDLinkLabel>(panel, "lbl_rnd", table);
    rnd->setText(QStringLiteral("随便听听"));
    rnd->adjustSize();
    panel->hide();  // shown only instead of an empty list

    list = new TDDPlaylist(&form);
    list->SetAutoHideScrollBar(true);
    list->SetTimeFormat(QStringLiteral("nn:ss"));
    const char* titles[] = {"旅行的意义",     "Clair de lune",  "晴天",   "Blue in Green",
                            "夜空中最亮的星", "So What",        "稻香",   "Gymnopédie No.1",
                            "平凡之路",       "Take Five",      "南山南", "Autumn Leaves",
                            "成都",           "Round Midnight", "董小姐", "Naima",
                            "小幸运",         "Giant Steps",    "演员",   "My Favorite Things"};
    int n = 0;
    for (const char* t : titles) {
      TDDPlaylistItem& item = list->Items().Add();
      item.Caption = QString::fromUtf8(t) + QStringLiteral(" - Artist %1").arg(++n);
      item.LongTime = (150.0 + 13 * n) / 86400.0;
    }
    list->SetTimeFormat(QStringLiteral("nn:ss"));
    list->SetCurrentItem(0);
    list->Model().SetSelected(3, true);
    table.Playlist = std::make_shared<TSkinPlaylistAdapter>(list);

    vis = new TDDVIS(&form);
    table.Spectrum = std::make_shared<TSkinVisAdapter>(vis);
  }

  // A spectrum falling off with frequency, for a picture that looks like music.
  void FeedSpectrum() {
    std::vector<float> fft(TDDVIS::kFftSingles);
    for (int i = 0; i < 512; ++i)
      fft[std::size_t(i)] = float(0.09 * std::exp(-i / 40.0) * (1.0 + 0.5 * std::sin(i * 0.7)));
    for (int frame = 0; frame < 3; ++frame) vis->SetData(fft.data());
  }
};

struct LyricWindow {
  TDDFormEx form;
  TSkinWindow table;
  TDDLrcShow* view;

  LyricWindow() {
    table.Form = &form;
    table.Frame = Make<TDDWindow>(&form, "frame", table);
    for (const char* name : {"btn_lrc", "btn_close", "btn_b5", "btn_f5", "btn_Slrc"})
      Make<TDDButton>(&form, name, table);
    view = new TDDLrcShow(&form);
    view->SetLrc(
        QStringLiteral("[00:01.00]第一行歌词\n[00:05.00]当前这一行\n[00:09.00]下一行\n"
                       "[00:13.00]再下一行"));
    view->SetLengthTime(20000);
    table.LyricView = std::make_shared<TSkinLyricViewAdapter>(view);
  }
};

}  // namespace vireo::test
