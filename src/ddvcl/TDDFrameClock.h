#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "lyrics/LyricClock.h"

class QWidget;

namespace vireo {

// The frames of a karaoke fill, shared by the lyric view and the desktop lyrics: the play
// position run on between the player's position updates (LyricClock), the edge of the fill as
// last shown, and what moves that edge: only when it has moved by at least one device pixel, and
// while the player plays, on the player's own progress ticks (Pulse(), every 50 ms: the UI thread
// wakes for them anyway, and on this kind of machine a wakeup of its own costs more than the
// frame's painting); without ticks, on a timer of its own, never more often than kMaxRate times
// a second (nor faster than the display). Nothing runs while the position stands (paused,
// stalled) or nothing fills. A slow word costs a frame per pixel; a pause costs none.
//
// The view gives two functions: edge(ms), where its fill's edge stands at a time of the play
// clock, in device pixels (non-decreasing in the time within a line; -1 when nothing fills), and
// frame(from, to), called when the shown edge moves from one device pixel to another, to repaint
// what lies between. It paints its fill up to Shown(), whatever asked for the paint, so a frame
// and an expose never disagree. UI thread only.
class TDDFrameClock : public QObject {
 public:
  static constexpr int kMaxRate = 30;

  using EdgeFn = std::function<int(qint32 ms)>;
  using FrameFn = std::function<void(int from, int to)>;

  TDDFrameClock(QWidget* view, EdgeFn edge, FrameFn frame);

  // A position update from the player: the clock starts again from it, and the edge follows at
  // once when it moved (a seek, a pause, the first update of a line).
  void SetPosition(qint32 ms);
  // The line or its layout changed: the edge is taken as it stands now without a frame (the view
  // draws everything again anyway).
  void Reset();
  // A progress tick of the player (every 50 ms while it plays): every clock that wants frames
  // moves its edge now, and none needs a timer of its own while the ticks come.
  static void Pulse();
  // Ticks further apart than this no longer count as coming.
  static constexpr int kPulseGapMs = 120;

  ~TDDFrameClock() override;

  // Whether frames are wanted at all (the view is shown and its current line fills); they run
  // while the clock runs too.
  void Run(bool wanted);
  void Stop() { Run(false); }

  // The edge shown, in device pixels (-1: nothing fills).
  int Shown() const { return m_shown; }
  qint32 Now() const { return m_clock.Now(); }
  const LyricClock& Clock() const { return m_clock; }
  bool Active() const { return m_timer.isActive(); }
  // How many frames moved the edge (for tests and benchmarks).
  int Frames() const { return m_frames; }

 private:
  void Tick();
  void OnPulse();
  bool Pulsed() const;
  // Moves the shown edge to where it stands at ms; a frame when it moved.
  void MoveTo(qint32 ms);
  void ScheduleNext();
  int MinInterval() const;

  QWidget* m_view;
  EdgeFn m_edge;
  FrameFn m_frame;
  LyricClock m_clock;
  QTimer m_timer;
  QElapsedTimer m_lastFrame;
  static QElapsedTimer s_lastPulse;
  int m_shown = -1;
  int m_frames = 0;
  bool m_wanted = false;
};

}  // namespace vireo
