#include "ddvcl/TDDButton.h"

#include <QCursor>
#include <QEvent>

#include "ddvcl/TDDForm.h"

namespace vireo {

TDDButton::TDDButton(QWidget* parent) : TDDGraphicControlEx(parent) {}

TDDButton::~TDDButton() = default;

void TDDButton::SetFade(int value) {
  std::uint8_t v = std::uint8_t(value & 0xFF);
  if (v > 100) v = 100;
  if (v > 0) {
    if (!m_fadeTimer) {
      m_fadeTimer = std::make_unique<QTimer>();
      m_fadeTimer->setInterval(20);
      connect(m_fadeTimer.get(), &QTimer::timeout, this, &TDDButton::FadeTick);
    }
    m_fade = v;
  } else {
    m_fadeTimer.reset();
    m_fade = 0;
    if (m_state == vsFadingIn || m_state == vsFadingOut) m_state = vsNormal;
  }
  m_fadeStep = 0;
}

void TDDButton::StartFadeTimer() {
  if (m_fadeTimer) m_fadeTimer->start();
}

void TDDButton::StopFadeTimer() {
  if (m_fadeTimer) m_fadeTimer->stop();
}

void TDDButton::MouseEnter() {
  if (!isEnabled()) return;
  if (m_pressedDown) {
    m_state = vsPressed;
  } else if (m_fadeTimer) {
    m_state = vsFadingIn;
    StartFadeTimer();
  } else {
    m_state = vsHighlighted;
  }
  Paint();
  TDDGraphicControlEx::MouseEnter();
}

void TDDButton::MouseLeave() {
  if (!isEnabled()) return;
  if (m_pressedDown) {
    m_state = m_fadeTimer ? vsHighlighted : vsNormal;
  } else if (m_fadeTimer) {
    m_state = vsFadingOut;
    StartFadeTimer();
  } else {
    m_state = vsNormal;
  }
  Paint();
  TDDGraphicControlEx::MouseLeave();
}

void TDDButton::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  if (button != Qt::LeftButton) return;
  m_pressedDown = true;
  if (m_fadeTimer) {
    StopFadeTimer();
    m_fadeStep = m_fade;
  }
  m_state = vsPressed;
  Paint();
  TDDGraphicControlEx::MouseDown(button, shift, x, y);
}

void TDDButton::MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
  const bool counted =
      m_pressedDown || (button == Qt::RightButton && m_tag == 0 && PopupMenu() != nullptr);
  if (!counted) return;
  if (m_fadeTimer) {
    m_state = vsFadingOut;
    StartFadeTimer();
  } else {
    m_state = vsNormal;
  }
  m_pressedDown = false;
  Paint();
  if (!rect().contains(x, y)) return;
  if (button == Qt::RightButton) {
    if (m_tag == 0 && PopupMenu() && !IsAutoPopup(PopupMenu()))
      PopupMenuAt(PopupMenu(), QCursor::pos());
  } else if (button == Qt::LeftButton && m_tag == 0 && OnClick) {
    OnClick(this);
  } else if (button == Qt::LeftButton && m_tag >= 1 && PopupMenu() && !IsAutoPopup(PopupMenu())) {
    // Qt's record of where the window is can lag behind the window manager's: the menu opens
    // below the button where the user sees it.
    const QPoint below(0, height());
    auto* form = qobject_cast<TDDForm*>(window());
    PopupMenuAt(PopupMenu(),
                form ? form->ScreenPosition() + mapTo(form, below) : mapToGlobal(below));
  } else if (button == Qt::LeftButton) {
    TDDGraphicControlEx::MouseRelease(button, shift, x, y);
  }
}

void TDDButton::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
  const bool inside = rect().contains(x, y);
  if (m_pressedDown) {
    // A pressed button holds the pointer, and enter and leave only come after the release. The
    // pressed look still goes when the pointer leaves and comes back with it, as a release out
    // there will not click.
    if (!inside && m_state == vsPressed) {
      m_leftWhilePressed = true;
      MouseLeave();
    } else if (inside && m_state != vsPressed) {
      m_leftWhilePressed = false;
      MouseEnter();
    }
  } else {
    // Recovers enter and leave events the windowing system did not deliver.
    if (inside && m_state != vsHighlighted && m_state != vsFadingIn)
      MouseEnter();
    else if (!inside && m_state != vsNormal)
      MouseLeave();
  }
  TDDGraphicControlEx::MouseMove(shift, x, y);
}

void TDDButton::enterEvent(QEnterEvent* event) {
  m_leftWhilePressed = false;
  TDDGraphicControlEx::enterEvent(event);
}

void TDDButton::leaveEvent(QEvent* event) {
  if (m_leftWhilePressed) {
    m_leftWhilePressed = false;  // announced already
    QWidget::leaveEvent(event);
    return;
  }
  TDDGraphicControlEx::leaveEvent(event);
}

void TDDButton::changeEvent(QEvent* event) {
  TDDGraphicControlEx::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) m_state = vsNormal;
    update();
  }
}

void TDDButton::FadeTick() {
  if (m_state == vsFadingIn) {
    if (m_fadeStep >= m_fade) {
      StopFadeTimer();
      m_state = vsHighlighted;
    } else {
      ++m_fadeStep;
    }
  } else if (m_fadeStep > 0) {
    --m_fadeStep;
  } else {
    StopFadeTimer();
    m_state = vsNormal;
  }
  Paint();
}

TDDButton::Sprites TDDButton::CurrentSprites() const {
  return {QPoint(NormalX, NormalY), QPoint(PressedX, PressedY), QPoint(HighlightedX, HighlightedY)};
}

void TDDButton::Compose(TDDBitmap32& buffer) {
  CopyParentBackground(buffer);
  const Sprites sp = CurrentSprites();
  const int w = width(), h = height();
  auto sprite = [&](QPoint at) { return TRect::FromSize(at.x(), at.y(), w, h); };
  switch (m_state) {
    case vsNormal:
      Image().BlendTo(buffer, 0, 0, sprite(sp.Normal));
      break;
    case vsPressed:
      Image().BlendTo(buffer, 0, 0, sprite(sp.Pressed));
      break;
    case vsHighlighted:
      Image().BlendTo(buffer, 0, 0, sprite(sp.Highlighted));
      break;
    case vsFadingIn:
    case vsFadingOut:
      Image().BlendTo(buffer, 0, 0, sprite(sp.Normal));
      if (m_fade > 0)
        Image().BlendTo(buffer, 0, 0, sprite(sp.Highlighted),
                        int(m_fadeStep * (Image().Opacity() & 0xFF) / m_fade));
      break;
    default:
      break;  // background only
  }
}

}  // namespace vireo
