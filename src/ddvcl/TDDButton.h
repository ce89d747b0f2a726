#pragma once

#include <QTimer>
#include <cstdint>
#include <memory>

#include "ddvcl/TDDGraphicControlEx.h"

namespace vireo {

// A push button drawn from three sprites of its own size (normal, pressed, highlighted), with an
// optional cross-fade to the highlighted look on a 20 ms timer. A Tag of 1 or more makes it a
// drop-down button that opens its menu under itself. UI thread only.
class TDDButton : public TDDGraphicControlEx {
  Q_OBJECT
 public:
  enum VisualStates : std::uint8_t {
    vsNormal = 0,
    vsPressed = 1,
    vsHighlighted = 2,
    vsFadingIn = 4,
    vsFadingOut = 5,
  };

  explicit TDDButton(QWidget* parent = nullptr);
  ~TDDButton() override;

  std::int16_t NormalX = 0, NormalY = 0;
  std::int16_t PressedX = 0, PressedY = 0;
  std::int16_t HighlightedX = 0, HighlightedY = 0;

  int Tag() const { return m_tag; }
  void SetTag(int tag) { m_tag = tag; }

  std::uint8_t VisualState() const { return m_state; }
  bool PressedDown() const { return m_pressedDown; }
  std::uint8_t Fade() const { return m_fade; }
  std::uint8_t FadeStep() const { return m_fadeStep; }
  // Value is taken as a byte and limited to 100; 0 removes the fade timer.
  void SetFade(int value);
  QTimer* FadeTimer() const { return m_fadeTimer.get(); }
  // One step of a running fade (what the timer calls every 20 ms).
  void FadeTick();

  TNotifyEvent OnClick;

 protected:
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseMove(Qt::KeyboardModifiers shift, int x, int y) override;
  void MouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void Compose(TDDBitmap32& buffer) override;

  // The sprite corners for the current look; TDDCheckedButton swaps in its checked set.
  struct Sprites {
    QPoint Normal, Pressed, Highlighted;
  };
  virtual Sprites CurrentSprites() const;
  void SetState(std::uint8_t state) { m_state = state; }

 private:
  void StartFadeTimer();
  void StopFadeTimer();

  std::uint8_t m_state = vsNormal;
  bool m_pressedDown = false;
  std::uint8_t m_fade = 0;
  std::uint8_t m_fadeStep = 0;
  std::unique_ptr<QTimer> m_fadeTimer;
  int m_tag = 0;
  // The pointer left while pressed and the leave was announced from the moves; the windowing
  // system's own leave, held back until the release, then repeats it.
  bool m_leftWhilePressed = false;
};

}  // namespace vireo
