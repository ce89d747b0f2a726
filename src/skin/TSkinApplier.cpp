#include "skin/TSkinApplier.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDLinkLabel.h"
#include "ddvcl/TDDSliderBlendEx.h"
#include "ddvcl/TDDWindow.h"
#include "ddvcl/TScrollText.h"
#include "skin/TAnchorLayout.h"
#include "skin/TSkinFolders.h"
#include "skin/TSkinImagePrefetch.h"

namespace vireo {
namespace {

QRect Bounds(const TSkinPlace& p) {
  return QRect(p.X, p.Y, p.W, p.H);
}

TSpriteRect Sprite(const TSkinRect& r) {
  return TSpriteRect{r.X, r.Y, r.W, r.H};
}

QColor ToQColor(const TSkinColor& c) {
  return QColor(c.R, c.G, c.B);
}

// A font with the skin's face and size. An empty face or a size of 0 or less is what the skin
// says when it gives none; the application's font stands in, as the system font did.
QFont SkinFont(QFont font, const QString& family, int points) {
  const QFont standard = QApplication::font();
  font.setFamily(family.isEmpty() ? standard.family() : family);
  if (points > 0)
    font.setPointSize(points);
  else if (standard.pointSize() > 0)
    font.setPointSize(standard.pointSize());
  else
    font.setPixelSize(standard.pixelSize());
  return font;
}

void SetPaletteColor(QWidget* w, QPalette::ColorRole role, const QColor& color) {
  QPalette pal = w->palette();
  pal.setColor(role, color);
  w->setPalette(pal);
}

// A plain panel's colour: its background, filled.
void SetPanelColor(QWidget* panel, const TSkinColor& c) {
  SetPaletteColor(panel, QPalette::Window, ToQColor(c));
  panel->setAutoFillBackground(true);
  panel->update();
}

void SetLabelFontColor(QLabel* label, const TSkinColor& c) {
  if (auto* link = qobject_cast<TDDLinkLabel*>(label))
    link->SetNormalColor(c.ToColorRef());
  else
    SetPaletteColor(label, QPalette::WindowText, ToQColor(c));
}

}  // namespace

TSkinApplier::TSkinApplier(const QHash<QString, TSkinWindow>& windows, const QString& baseDir)
    : windows_(windows), baseDir_(baseDir) {}

TSkinApplier::~TSkinApplier() = default;

const TSkinWindow* TSkinApplier::Window(const QString& name) const {
  const auto it = windows_.constFind(name);
  return it == windows_.cend() ? nullptr : &*it;
}

template <class T>
T* TSkinApplier::Control(const TSkinStep& step) const {
  const TSkinWindow* w = Window(step.owner);
  if (!w) return nullptr;
  return qobject_cast<T*>(w->Controls.value(step.control).data());
}

bool TSkinApplier::LoadImage(const QString& name, TDDBitmap32& target, const TSkinStep& step) {
  const QString path = TSkinFolders::Resolve(baseDir_, name);
  try {
    if (prefetch_)
      target.LoadDecoded(prefetch_->Take(path));
    else
      target.LoadFromFile(path);
    return true;
  } catch (const std::exception& e) {
    error_ = QStringLiteral("line %1: image \"%2\" cannot be read (%3)")
                 .arg(step.line)
                 .arg(name, QString::fromUtf8(e.what()));
    return false;
  }
}

TSkinApplier::Result TSkinApplier::Apply(const std::vector<TSkinStep>& steps) {
  QStringList images;
  for (const TSkinStep& step : steps)
    std::visit(
        [&](const auto& v) {
          if constexpr (requires { v.Image; })
            if (!v.Image.isEmpty()) images << TSkinFolders::Resolve(baseDir_, v.Image);
        },
        step.values);
  prefetch_ = std::make_unique<TSkinImagePrefetch>(images);
  Result result;
  for (const TSkinStep& step : steps) {
    if (!ApplyStep(step)) {
      result = {false, error_,
                step.kind == TSkinElementKind::Window && step.owner == u"main" &&
                    step.control.isEmpty()};
      break;
    }
  }
  prefetch_.reset();
  return result;
}

bool TSkinApplier::ApplyStep(const TSkinStep& step) {
  return std::visit(
      [&](const auto& v) -> bool {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, TSkinWindowValues>) return ApplyWindow(step, v);
        if constexpr (std::is_same_v<V, TSkinButtonValues>) return ApplyButton(step, v);
        if constexpr (std::is_same_v<V, TSkinLabelValues>) return ApplyLabel(step, v);
        if constexpr (std::is_same_v<V, TSkinScrollTextValues>) return ApplyScrollText(step, v);
        if constexpr (std::is_same_v<V, TSkinSliderValues>) return ApplySlider(step, v);
        if constexpr (std::is_same_v<V, TSkinListValues>) return ApplyList(step, v);
        if constexpr (std::is_same_v<V, TSkinLyricViewValues>) return ApplyLyricView(step, v);
        if constexpr (std::is_same_v<V, TSkinSpectrumValues>) return ApplySpectrum(step, v);
        if constexpr (std::is_same_v<V, TSkinDesktopLyricValues>) return ApplyDesktopLyric(step, v);
        if constexpr (std::is_same_v<V, TSkinPanelValues>) return ApplyPanel(step, v);
        if constexpr (std::is_same_v<V, TSkinTextValues>) return ApplyText(step, v);
        return true;
      },
      step.values);
}

bool TSkinApplier::ApplyWindow(const TSkinStep& step, const TSkinWindowValues& v) {
  const TSkinWindow* w = Window(step.owner);
  if (!w) return true;
  TDDWindow* frame = w->Frame;
  // The frame takes no mouse input, so a press on it reaches the form, which starts a drag.
  if (frame) {
    frame->setEnabled(false);
    TDDBitmap32 image;
    if (!LoadImage(v.Image, image, step)) return false;
    frame->SetImage(image);
  }
  if (QWidget* form = w->Form) {
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    const int screenW = screen ? screen->geometry().width() : QWIDGETSIZE_MAX;
    const int workH = screen ? screen->availableGeometry().height() : QWIDGETSIZE_MAX;
    form->setMinimumSize(std::max<int>(0, v.MinW), std::max<int>(0, v.MinH));
    form->setMaximumSize(v.MaxW > 0 ? v.MaxW : screenW, v.MaxH > 0 ? v.MaxH : workH);
    form->resize(std::max<int>(0, v.W), std::max<int>(0, v.H));
  }
  if (frame) {
    frame->SetTopLeft(Sprite(v.Pieces[0]));
    frame->SetTopMiddle(Sprite(v.Pieces[1]));
    frame->SetTopRight(Sprite(v.Pieces[2]));
    frame->SetBottomLeft(Sprite(v.Pieces[3]));
    frame->SetBottomMiddle(Sprite(v.Pieces[4]));
    frame->SetBottomRight(Sprite(v.Pieces[5]));
    frame->SetLeftMiddle(Sprite(v.Pieces[6]));
    frame->SetRightMiddle(Sprite(v.Pieces[7]));
    frame->SetTopCenter(Sprite(v.Pieces[8]));
    frame->SetColor(v.BackColor.ToColorRef());
    frame->SetShaped(true);
    frame->update();
  }
  return true;
}

bool TSkinApplier::ApplyButton(const TSkinStep& step, const TSkinButtonValues& v) {
  TDDButton* b = v.Checkable ? Control<TDDCheckedButton>(step) : Control<TDDButton>(step);
  if (!b) return true;
  TAnchorLayout::SetBounds(b, Bounds(v.Place));
  b->NormalX = v.NormalX;
  b->NormalY = v.NormalY;
  b->PressedX = v.PressedX;
  b->PressedY = v.PressedY;
  b->HighlightedX = v.HighlightedX;
  b->HighlightedY = v.HighlightedY;
  if (auto* c = qobject_cast<TDDCheckedButton*>(b); c && v.Checkable) {
    c->CheckedX = v.CheckedX;
    c->CheckedY = v.CheckedY;
    c->CheckedPX = v.CheckedPX;
    c->CheckedPY = v.CheckedPY;
    c->CheckedHX = v.CheckedHX;
    c->CheckedHY = v.CheckedHY;
  }
  b->SetFade(v.Fade);
  TAnchorLayout::SetAnchors(b, v.Place.Anchors);
  b->setToolTip(QCoreApplication::translate("skin", v.Hint.toUtf8().constData()));
  b->update();
  TDDBitmap32 image;
  if (!LoadImage(v.Image, image, step)) return false;
  b->SetImage(image);
  return true;
}

bool TSkinApplier::ApplyLabel(const TSkinStep& step, const TSkinLabelValues& v) {
  QLabel* l = Control<QLabel>(step);
  if (!l) return true;
  TAnchorLayout::SetAnchors(l, v.Place.Anchors);
  TAnchorLayout::SetBounds(l, Bounds(v.Place));
  SetLabelFontColor(l, v.FontColor);
  l->setFont(SkinFont(l->font(), v.FontName, v.FontSize));
  return true;
}

bool TSkinApplier::ApplyScrollText(const TSkinStep& step, const TSkinScrollTextValues& v) {
  TScrollText* t = Control<TScrollText>(step);
  if (!t) return true;
  TAnchorLayout::SetAnchors(t, v.Place.Anchors);
  TAnchorLayout::SetBounds(t, Bounds(v.Place));
  t->SetTransparent(v.Transparent);
  if (!v.Transparent) t->SetColor(v.BackColor.ToColorRef());
  t->SetFontColor(v.FontColor.ToColorRef());
  t->setFont(SkinFont(t->font(), v.FontName, v.FontSize));
  // The marquee measures its text when it is set; the new font changes the measure.
  t->SetScrollingText(t->ScrollingText());
  return true;
}

bool TSkinApplier::ApplySlider(const TSkinStep& step, const TSkinSliderValues& v) {
  TDDSliderBlendEx* s = Control<TDDSliderBlendEx>(step);
  if (!s) return true;
  TAnchorLayout::SetBounds(s, Bounds(v.Place));
  s->NormalX = v.NormalX;
  s->NormalY = v.NormalY;
  s->PressedX = v.PressedX;
  s->PressedY = v.PressedY;
  s->HighlightedX = v.HighlightedX;
  s->HighlightedY = v.HighlightedY;
  s->SliderW = v.SliderW;
  s->SliderH = v.SliderH;
  s->TileA = Sprite(v.TileA);
  s->TileB = Sprite(v.TileB);
  s->Border = v.Border;
  // A bar stretches along its length whatever its "align" says.
  s->SetKind(v.Horizontal ? TDDSliderKind::skHorizontal : TDDSliderKind::skVertical);
  const TAnchors along = v.Horizontal ? TAnchors::Of(true, false, true, false)
                                      : TAnchors::Of(false, true, false, true);
  TAnchorLayout::SetAnchors(s, v.Place.Anchors | along);
  if (v.Style <= 3) s->SetStyle(static_cast<TDDSliderStyle>(v.Style));
  s->update();
  TDDBitmap32 image;
  if (!LoadImage(v.Image, image, step)) return false;
  s->SetImage(image);
  return true;
}

bool TSkinApplier::ApplyList(const TSkinStep& step, const TSkinListValues& v) {
  const TSkinWindow* w = Window(step.owner);
  if (!w) return true;
  ISkinPlaylist* list = w->Playlist.get();
  if (list && list->Widget()) {
    QWidget* widget = list->Widget();
    TAnchorLayout::SetBounds(widget, Bounds(v.Place));
    list->SetScrollBarWidth(v.ScrollBarWidth);
    widget->setCursor(Qt::PointingHandCursor);
    list->SetBackColor(v.BackColor.ToOpaque32());
    list->SetSelectionColor(v.SelectionColor.ToOpaque32());
    list->SetTextColor(v.TextColor.ToOpaque32());
    list->SetTextCurrentColor(v.TextCurrentColor.ToOpaque32());
    list->SetTextSelectedColor(v.TextSelectedColor.ToOpaque32());
    list->SetListFont(SkinFont(list->ListFont(), v.FontName, v.FontSize));
    TAnchorLayout::SetAnchors(widget, v.Place.Anchors);
  }
  if (QWidget* panel = w->Controls.value(QStringLiteral("pnl_1"))) {
    TAnchorLayout::SetBounds(panel, Bounds(v.Place));
    TAnchorLayout::SetAnchors(panel, v.Place.Anchors);
    SetPanelColor(panel, v.BackColor);
    auto* open = qobject_cast<QLabel*>(w->Controls.value(QStringLiteral("lbl_open")).data());
    auto* rnd = qobject_cast<QLabel*>(w->Controls.value(QStringLiteral("lbl_rnd")).data());
    if (open && rnd) {
      SetLabelFontColor(open, v.TextColor);
      SetLabelFontColor(rnd, v.TextColor);
      const int pw = panel->width(), ph = panel->height();
      const int left = (pw - open->width()) / 2;
      open->move(left, (ph - (open->height() + rnd->height() + 3)) / 2);
      rnd->move(left, (ph + open->height() - rnd->height() + 5) / 2);
    }
  }
  if (list) {
    list->SetScrollBarSprites(v.NormalX, v.NormalY, v.PressedX, v.PressedY, v.HighlightedX,
                              v.HighlightedY);
    list->SetScrollBarTrack(Sprite(v.Track));
    list->SetScrollBarBorder(0);
    list->SetScrollBarSliderW(v.ScrollBarWidth);
    list->SetScrollBarSliderH(v.SliderH);
    TDDBitmap32 image;
    if (!LoadImage(v.Image, image, step)) return false;
    list->SetScrollBarImage(image);
  }
  return true;
}

bool TSkinApplier::ApplyLyricView(const TSkinStep& step, const TSkinLyricViewValues& v) {
  const TSkinWindow* w = Window(step.owner);
  ISkinLyricView* view = w ? w->LyricView.get() : nullptr;
  if (!view) return true;
  if (QWidget* widget = view->Widget()) {
    TAnchorLayout::SetAnchors(widget, v.Place.Anchors);
    TAnchorLayout::SetBounds(widget, Bounds(v.Place));
  }
  view->SetLrcSpace(v.LineSpace);
  view->SetBGColor(v.BackColor.ToColorRef());
  view->SetLrcColor(v.LineColor.ToColorRef());
  view->SetLrcCurrColor(v.CurrentLineColor.ToColorRef());
  view->SetLrcFontName(v.FontName);
  view->SetLrcFontSize(v.FontSize);
  return true;
}

bool TSkinApplier::ApplySpectrum(const TSkinStep& step, const TSkinSpectrumValues& v) {
  const TSkinWindow* w = Window(step.owner);
  ISkinSpectrum* vis = w ? w->Spectrum.get() : nullptr;
  if (!vis) return true;
  TDDGraphicControl* control = vis->Control();
  {
    TDDBitmap32 image;
    if (!LoadImage(v.Image, image, step)) return false;
    if (control) control->SetImage(image);
  }
  if (control) {
    TAnchorLayout::SetBounds(control, Bounds(v.Place));
    TAnchorLayout::SetAnchors(control, v.Place.Anchors);
  }
  vis->SetLineFallOff(v.LineFallOff);
  vis->SetPeakFallOff(v.PeakFallOff);
  vis->SetTTFWidth(v.TTFWidth);
  vis->SetDrawPeak(v.DrawPeak);
  vis->SetBackgroundPiece(Sprite(v.Background));
  vis->SetBarPiece(Sprite(v.Bar));
  vis->SetPeakPiece(Sprite(v.Peak));
  return true;
}

bool TSkinApplier::ApplyDesktopLyric(const TSkinStep& step, const TSkinDesktopLyricValues& v) {
  const TSkinWindow* w = Window(step.owner);
  ISkinDesktopLyric* lyric = w ? w->DesktopLyric.get() : nullptr;
  if (!lyric) return true;
  lyric->SetHeight(v.Height);
  lyric->SetAlpha(v.Alpha);
  lyric->SetColorBegin(v.ColorBegin.ToColorRef());
  lyric->SetColorEnd(v.ColorEnd.ToColorRef());
  lyric->SetOutlineColor(v.OutlineColor.ToColorRef());
  lyric->SetFontName(v.FontName);
  lyric->SetFontSize(v.FontSize);
  return true;
}

bool TSkinApplier::ApplyPanel(const TSkinStep& step, const TSkinPanelValues& v) {
  QWidget* panel = Control<QWidget>(step);
  if (!panel) return true;
  TAnchorLayout::SetAnchors(panel, v.Place.Anchors);
  TAnchorLayout::SetBounds(panel, Bounds(v.Place));
  SetPanelColor(panel, v.Color);
  return true;
}

bool TSkinApplier::ApplyText(const TSkinStep& step, const TSkinTextValues& v) {
  QLineEdit* edit = Control<QLineEdit>(step);
  if (!edit) return true;
  TAnchorLayout::SetBounds(edit, Bounds(v.Place));
  edit->setFont(SkinFont(edit->font(), v.FontName, v.FontSize));
  SetPaletteColor(edit, QPalette::Base, ToQColor(v.BackColor));
  SetPaletteColor(edit, QPalette::Text, ToQColor(v.FontColor));
  TAnchorLayout::SetAnchors(edit, v.Place.Anchors);
  return true;
}

}  // namespace vireo
