// Button states, fades, clicks and menus, and their pixels over a form's back buffer.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

#include "ControlTestUtil.h"
#include "TestEnv.h"
#include "ddvcl/TDDButton.h"
#include "ddvcl/TDDCheckedButton.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDLinkLabel.h"

using namespace vireo;
using namespace vireo::test;

namespace {

constexpr int kW = 8, kH = 6;
// Sprites side by side: normal, pressed, highlighted, checked, checked+pressed, checked+hover.
constexpr TColor32 kSprites[6] = {0xFF100000u, 0xFF200000u, 0x80300000u,
                                  0xFF400000u, 0xC0500000u, 0x40600000u};

struct Rig {
  TDDFormEx form;
  TDDCheckedButton* button;
  Rig() {
    form.resize(40, 30);
    form.BackBuffer().SetSize(40, 30);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        form.BackBuffer().SetPixel(x, y, 0xFF000000u | TColor32(x * 5 << 8 | y * 7));
    button = new TDDCheckedButton(&form);
    button->setGeometry(5, 4, kW, kH);
    TDDBitmap32 sheet(6 * kW, kH);
    for (int i = 0; i < 6; ++i) PaintSprite(sheet, i * kW, 0, kW, kH, kSprites[i]);
    button->SetImage(sheet);
    button->NormalX = 0;
    button->PressedX = kW;
    button->HighlightedX = 2 * kW;
    button->CheckedX = 3 * kW;
    button->CheckedPX = 4 * kW;
    button->CheckedHX = 5 * kW;
  }
  TColor32 Back(int x, int y) const { return form.BackBuffer().Pixel(x + 5, y + 4); }
  static TColor32 Sprite(int i, int x, int y) {
    return kSprites[i] | TColor32(x) << 8 | TColor32(y);
  }
  // An opaque sprite (0xFF alpha) is copied as it is, over the whole button.
  void ExpectOpaque(int sprite) {
    TDDBitmap32 out;
    button->RenderTo(out);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(out.Pixel(x, y), Sprite(sprite, x, y)) << x << "," << y;
  }
  // A translucent one mixes with the background: the corners (0, 0) and (7, 5) were worked out by
  // hand from the blend rule (see ButtonPixels below).
  void ExpectCorners(TColor32 topLeft, TColor32 bottomRight) {
    TDDBitmap32 out;
    button->RenderTo(out);
    EXPECT_EQ(out.Pixel(0, 0), topLeft);
    EXPECT_EQ(out.Pixel(kW - 1, kH - 1), bottomRight);
  }
};

// Hand-computed pixels. Each channel of a source s with alpha A over d is
// (s*A + d*(256-A) + 128) >> 8; with a master alpha M the weight is w = ((A+1)*M) >> 8 instead.
// The background under the button's (0, 0) is 0xFF00191C and under (7, 5) 0xFF003C3F. For example
// the highlighted sprite's (0, 0), 0x80300000 over 0xFF00191C with A = 128:
//   alpha (128*128 + 255*128 + 128) >> 8 = 192 = C0, red (48*128 + 0 + 128) >> 8 = 24 = 18,
//   green (0 + 25*128 + 128) >> 8 = 13 = 0D, blue (0 + 28*128 + 128) >> 8 = 14 = 0E.
namespace ButtonPixels {
constexpr TColor32 kHighlighted[2] = {0xC0180D0Eu, 0xC0182222u};     // 0x80300000, A = 128
constexpr TColor32 kCheckedPressed[2] = {0xD03C0607u, 0xD03C1414u};  // 0xC0500000, A = 192
constexpr TColor32 kCheckedHover[2] = {0xCF181315u, 0xCF182F31u};    // 0x40600000, A = 64
// The highlighted sprite at master 127 (w = 129*127 >> 8 = 63) over the opaque normal one,
// 0xFF100000 at (0, 0) and 0xFF100705 at (7, 5).
constexpr TColor32 kHalfFade[2] = {0xE0180000u, 0xE0180705u};
}  // namespace ButtonPixels

}  // namespace

TEST(Button, EveryStatePaintsItsSpriteOverTheBackground) {
  using namespace ButtonPixels;
  Rig r;
  r.ExpectOpaque(0);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsHighlighted);
  r.ExpectCorners(kHighlighted[0], kHighlighted[1]);
  Press(r.button, QPoint(2, 2));
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsPressed);
  r.ExpectOpaque(1);
  Release(r.button, QPoint(2, 2));
  r.ExpectOpaque(0);
  // Checked uses the checked set, unless disabled.
  r.button->SetChecked(true);
  r.ExpectOpaque(3);
  Enter(r.button);
  r.ExpectCorners(kCheckedHover[0], kCheckedHover[1]);
  Press(r.button, QPoint(2, 2));
  r.ExpectCorners(kCheckedPressed[0], kCheckedPressed[1]);
  Release(r.button, QPoint(2, 2));
  r.button->setEnabled(false);
  r.ExpectOpaque(0);
  // Half way through a fade: the highlighted sprite at FadeStep * 255 div Fade over the normal one.
  r.button->setEnabled(true);
  r.button->SetChecked(false);
  r.button->SetFade(4);
  Enter(r.button);
  r.button->FadeTick();
  r.button->FadeTick();
  r.ExpectCorners(kHalfFade[0], kHalfFade[1]);
}

TEST(Button, FadeCrossesOverInStepsAndReversesFromTheCurrentStep) {
  Rig r;
  r.button->SetFade(150);
  EXPECT_EQ(r.button->Fade(), 100);
  r.button->SetFade(4);
  ASSERT_NE(r.button->FadeTimer(), nullptr);
  EXPECT_EQ(r.button->FadeTimer()->interval(), 20);
  EXPECT_FALSE(r.button->FadeTimer()->isActive());
  r.button->Image().SetOpacity(200);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingIn);
  EXPECT_TRUE(r.button->FadeTimer()->isActive());
  r.button->FadeTick();
  r.button->FadeTick();
  EXPECT_EQ(r.button->FadeStep(), 2);
  // Normal, then highlighted at FadeStep * Opacity div Fade, both over the opacity-weighted base.
  {
    TDDBitmap32 out;
    r.button->RenderTo(out);
    // 0xFF100101 at master 200 (w = 200) over 0xFF001E23 gives 0xFF0D0708; 0x80300101 at master
    // 100 (w = 50) over that gives 0xE6140607.
    EXPECT_EQ(out.Pixel(1, 1), 0xE6140607u);
  }
  Leave(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingOut);
  r.button->FadeTick();
  EXPECT_EQ(r.button->FadeStep(), 1);
  Enter(r.button);  // back in: continues upward from 1
  for (int i = 0; i < 3; ++i) r.button->FadeTick();
  EXPECT_EQ(r.button->FadeStep(), 4);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingIn);
  r.button->FadeTick();  // the final tick
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsHighlighted);
  EXPECT_FALSE(r.button->FadeTimer()->isActive());

  // The real timer carries a fade out to its end.
  Leave(r.button);
  EXPECT_TRUE(WaitUntil([&] { return r.button->VisualState() == TDDButton::vsNormal; }, 3000));
  EXPECT_FALSE(r.button->FadeTimer()->isActive());
  EXPECT_EQ(r.button->FadeStep(), 0);
}

TEST(Button, RemovingTheFadeEndsItAndHoverSwitchesStraightAway) {
  Rig r;
  r.button->SetFade(10);
  Enter(r.button);
  r.button->SetFade(0);
  EXPECT_EQ(r.button->FadeTimer(), nullptr);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsHighlighted);
}

TEST(Button, ClicksCountOnlyWhenReleasedInside) {
  Rig r;
  int clicks = 0, downs = 0, ups = 0;
  r.button->OnClick = [&](QObject*) { ++clicks; };
  r.button->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    ++downs;
  };
  r.button->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  r.button->SetFade(5);
  Press(r.button, QPoint(1, 1));
  EXPECT_TRUE(r.button->PressedDown());
  EXPECT_EQ(r.button->FadeStep(), 5);
  EXPECT_EQ(downs, 1);
  Release(r.button, QPoint(1, 1));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ups, 0);  // OnClick takes the release
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingOut);
  EXPECT_FALSE(r.button->PressedDown());

  Press(r.button, QPoint(1, 1));
  Release(r.button, QPoint(30, 1));  // outside
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ups, 0);

  // Other buttons are ignored entirely.
  Press(r.button, QPoint(1, 1), Qt::MiddleButton);
  EXPECT_EQ(downs, 2);
  Press(r.button, QPoint(1, 1), Qt::RightButton);
  EXPECT_EQ(downs, 2);
  EXPECT_FALSE(r.button->PressedDown());
  // A release that was never pressed is not counted.
  Release(r.button, QPoint(1, 1));
  EXPECT_EQ(clicks, 1);

  // Without OnClick the release is an ordinary mouse-up.
  r.button->OnClick = nullptr;
  Press(r.button, QPoint(1, 1));
  Release(r.button, QPoint(1, 1));
  EXPECT_EQ(ups, 1);
}

TEST(Button, PointerWhilePressedAndMissedEnterOrLeave) {
  Rig r;
  int enters = 0, leaves = 0;
  r.button->OnMouseEnter = [&](QObject*) { ++enters; };
  r.button->OnMouseLeave = [&](QObject*) { ++leaves; };
  Press(r.button, QPoint(1, 1));
  Leave(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsPressed);
  Release(r.button, QPoint(1, 1));
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
  // A move over the button that the windowing system did not announce still highlights it.
  MoveTo(r.button, QPoint(3, 3));
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsHighlighted);
  EXPECT_EQ(enters, 2);
  MoveTo(r.button, QPoint(-3, 3));
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  EXPECT_EQ(leaves, 2);
  // Disabled buttons ignore the pointer and fall back to normal.
  Enter(r.button);
  r.button->setEnabled(false);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  EXPECT_EQ(enters, 3);
}

TEST(Button, DraggingOutWhilePressedDropsThePressedLookAndBackInRestoresIt) {
  // While a button is held the windowing system sends no enter or leave; the moves do.
  Rig r;
  int enters = 0, leaves = 0, clicks = 0;
  r.button->OnMouseEnter = [&](QObject*) { ++enters; };
  r.button->OnMouseLeave = [&](QObject*) { ++leaves; };
  r.button->OnClick = [&](QObject*) { ++clicks; };
  Press(r.button, QPoint(1, 1));
  MoveTo(r.button, QPoint(30, 1), Qt::LeftButton);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsNormal);
  EXPECT_TRUE(r.button->PressedDown());
  EXPECT_EQ(leaves, 1);
  r.ExpectOpaque(0);
  MoveTo(r.button, QPoint(31, 2), Qt::LeftButton);
  EXPECT_EQ(leaves, 1);
  MoveTo(r.button, QPoint(2, 2), Qt::LeftButton);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsPressed);
  EXPECT_EQ(enters, 1);
  r.ExpectOpaque(1);
  Release(r.button, QPoint(2, 2));
  EXPECT_EQ(clicks, 1);
  // With a fade the pressed button shows its highlighted look outside.
  r.button->SetFade(4);
  Press(r.button, QPoint(1, 1));
  MoveTo(r.button, QPoint(30, 1), Qt::LeftButton);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsHighlighted);
  Release(r.button, QPoint(30, 1));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingOut);
  // The leave the windowing system delivers after the release was announced already.
  Leave(r.button);
  EXPECT_EQ(leaves, 2);
  Enter(r.button);
  EXPECT_EQ(r.button->VisualState(), TDDButton::vsFadingIn);
  Leave(r.button);
  EXPECT_EQ(leaves, 3);
}

TEST(Button, DropDownButtonOpensItsMenuUnderItselfInsteadOfClicking) {
  Rig r;
  r.form.move(100, 100);
  r.form.show();
  QMenu menu;
  menu.addAction(QStringLiteral("one"));
  SetAutoPopup(&menu, false);
  r.button->SetPopupMenu(&menu);
  r.button->SetTag(1);
  int clicks = 0;
  r.button->OnClick = [&](QObject*) { ++clicks; };
  Press(r.button, QPoint(2, 2));
  Release(r.button, QPoint(2, 2));
  EXPECT_EQ(clicks, 0);
  ASSERT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
  EXPECT_EQ(menu.geometry().topLeft(), r.button->mapToGlobal(QPoint(0, kH)));
  menu.close();
  // A right release on an ordinary button with such a menu opens it at the cursor.
  r.button->SetTag(0);
  Release(r.button, QPoint(2, 2), Qt::RightButton);
  EXPECT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
  menu.close();
}

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls.append(url); }
};

TEST(LinkLabel, HoverUnderlinesInActiveColoursAndClickOpensTheTrimmedAddress) {
  TDDLinkLabel label;
  EXPECT_EQ(label.URL(), TDDLinkLabel::DefaultURL());
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
  int enters = 0;
  label.OnMouseEnter = [&](QObject*) { ++enters; };
  Enter(&label);
  EXPECT_EQ(enters, 1);
  EXPECT_TRUE(label.font().underline());
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 0, 0));
  Leave(&label);
  EXPECT_FALSE(label.font().underline());
  label.SetNormalColor(0x00FF00);
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 255, 0));

  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
  int clicks = 0;
  label.OnClick = [&](QObject*) { ++clicks; };
  label.SetURL(QStringLiteral("  https://example.org/songs  "));
  label.resize(100, 20);
  Press(&label, QPoint(5, 5));
  Release(&label, QPoint(5, 5));
  ASSERT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(catcher.urls[0], QUrl(QStringLiteral("https://example.org/songs")));
  label.SetURL(QString());
  label.Click();
  EXPECT_EQ(catcher.urls.size(), 1);
  EXPECT_EQ(clicks, 2);
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

#include "ButtonTest.moc"
