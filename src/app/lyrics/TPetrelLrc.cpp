#include "app/lyrics/TPetrelLrc.h"

#include <QPointer>

#include "app/desktop/X11Desktop.h"
#include "app/lyrics/TPetrelSlrc.h"
#include "app/mainwindow/TPetrelMain.h"
#include "app/skinning/EdgeResize.h"
#include "app/skinning/SkinButton.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDWindow.h"
#include "lyrics/LyricOffsetStore.h"
#include "lyrics/LyricOffsetTable.h"
#include "lyrics/LyricWorkers.h"
#include "skin/TDDSkin.h"
#include "skin/TSkinLyricViewAdapter.h"

namespace vireo {

TPetrelLrc::TPetrelLrc(TPetrelMain* main) : TDDFormEx(nullptr), main_(main) {
  setObjectName(QStringLiteral("PetrelLrc"));
  setWindowTitle(QStringLiteral("Vireo LRC"));
  // A tool window of the main one: no taskbar entry of its own, minimised with it.
  setWindowFlag(Qt::Tool);
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(12);
  setFont(f);
  resize(354, 155);
  move(232, 155);

  DDWindow1 = new TDDWindow(this);
  auto button = [this](const char* name, int x, int y, int w, int h) {
    return NewSkinButton<TDDButton>(this, name, x, y, w, h);
  };
  btn_lrc = button("btn_lrc", 288, 0, 17, 17);
  btn_close = button("btn_close", 320, 0, 17, 17);
  lrcshw_min = new TDDLrcShow(this);
  lrcshw_min->setObjectName(QStringLiteral("lrcshw_min"));
  lrcshw_min->setGeometry(8, 32, 337, 113);
  btn_b5 = button("btn_b5", 40, 0, 25, 25);
  btn_f5 = button("btn_f5", 72, 0, 25, 25);
  btn_Slrc = button("btn_Slrc", 104, 0, 33, 25);

  btn_lrc->OnClick = [this](QObject*) { btn_lrcClick(); };
  btn_close->OnClick = [this](QObject*) { btn_closeClick(); };
  btn_b5->OnClick = [this](QObject*) { btn_b5Click(); };
  btn_f5->OnClick = [this](QObject*) { btn_f5Click(); };
  btn_Slrc->OnClick = [this](QObject*) { btn_SlrcClick(); };

  AttachEdgeResize(this, 6);
  // Set last: changing window flags afterwards would make a new native window.
  X11Desktop::SetWindowClass(this, QStringLiteral("Vireo LRC"));
}

void TPetrelLrc::btn_lrcClick() {
  main_->Context().LyricMode = 0;
  Q_EMIT DesktopLyricsWanted();
  close();
}

void TPetrelLrc::btn_closeClick() {
  main_->SetLyricsChecked(false);
  close();
}

void TPetrelLrc::btn_b5Click() {
  ShiftLyrics(-500);
}

void TPetrelLrc::btn_f5Click() {
  ShiftLyrics(500);
}

void TPetrelLrc::ShowLyric(const QString& text, const QString& path,
                           std::optional<qint32> storedOffset) {
  lrcshw_min->SetLrc(text);
  if (storedOffset) lrcshw_min->SetLrcOffset(*storedOffset);
  lyricPath_ = path;
  lrcshw_min->update();
}

void TPetrelLrc::RegisterSkin(TDDSkin& skin) {
  TSkinWindow lrc;
  lrc.Form = this;
  lrc.Frame = DDWindow1;
  lrc.Add({btn_lrc, btn_close, btn_b5, btn_f5, btn_Slrc});
  lrc.LyricView = std::make_shared<TSkinLyricViewAdapter>(lrcshw_min);
  skin.SetWindow(QStringLiteral("lrc"), lrc);
}

int TPetrelLrc::LyricOffset() const {
  return lrcshw_min->LrcOffset();
}

void TPetrelLrc::ShiftLyrics(int ms) {
  lrcshw_min->SetLrcOffset(lrcshw_min->LrcOffset() + ms);
  if (lyricPath_.isEmpty()) return;
  pendingOffset_ = lrcshw_min->LrcOffset();
  pendingPath_ = lyricPath_;
  if (!writing_) WriteOffset();
}

void TPetrelLrc::WriteOffset() {
  if (!pendingOffset_) return;
  const qint32 ms = *pendingOffset_;
  const QString path = pendingPath_;
  const QString table =
      main_->Context().Settings.DataDir + QString::fromLatin1(LyricOffsetTable::kFileName);
  pendingOffset_.reset();
  writing_ = true;
  QPointer<TPetrelLrc> self(this);
  LyricWorkers::Start([self, path, table, ms] {
    const LyricOffsetStore::Where where = LyricOffsetStore::Store(path, table, ms);
    LyricWorkers::Post(QPointer<QObject>(self.data()), [self, where] {
      self->writing_ = false;
      Q_EMIT self->OffsetKept(int(where));
      self->WriteOffset();
    });
  });
}

void TPetrelLrc::SetShowTranslations(bool show) {
  lrcshw_min->SetShowTranslations(show);
}

void TPetrelLrc::SetPosTime(int ms) {
  lrcshw_min->SetPosTime(ms);
}

int TPetrelLrc::PosTime() const {
  return lrcshw_min->PosTime();
}

void TPetrelLrc::SetLengthTime(int ms) {
  lrcshw_min->SetLengthTime(ms);
}

QString TPetrelLrc::CurrentText() const {
  return lrcshw_min->LrcCurrText();
}

TLyricItem TPetrelLrc::CurrentLine(qint32* end) const {
  return lrcshw_min->CurrentLine(end);
}

void TPetrelLrc::btn_SlrcClick() {
  TPetrelSlrc::Open(main_);
}

}  // namespace vireo
