#include "ddvcl/TDDFrameClock.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace vireo {

namespace {
// Every clock, for the ticks (UI thread only).
QList<TDDFrameClock*>& Clocks() {
  static QList<TDDFrameClock*> clocks;
  return clocks;
}
}  // namespace

QElapsedTimer TDDFrameClock::s_lastPulse;

TDDFrameClock::TDDFrameClock(QWidget* view, EdgeFn edge, FrameFn frame)
    : m_view(view), m_edge(std::move(edge)), m_frame(std::move(frame)) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
  Clocks().append(this);
}

TDDFrameClock::~TDDFrameClock() {
  Clocks().removeAll(this);
}

void TDDFrameClock::Pulse() {
  s_lastPulse.start();
  for (TDDFrameClock* c : Clocks()) c->OnPulse();
}

bool TDDFrameClock::Pulsed() const {
  return s_lastPulse.isValid() && s_lastPulse.elapsed() < kPulseGapMs;
}

void TDDFrameClock::OnPulse() {
  m_timer.stop();
  if (!m_wanted || !m_clock.Running() || m_clock.Standing() || m_shown < 0) return;
  MoveTo(m_clock.Now());
}

int TDDFrameClock::MinInterval() const {
  const QScreen* s = m_view ? m_view->screen() : nullptr;
  const double rate = std::min<double>(kMaxRate, s && s->refreshRate() > 1 ? s->refreshRate() : 60);
  return int(std::ceil(1000.0 / rate));
}

void TDDFrameClock::SetPosition(qint32 ms) {
  m_clock.Set(ms);
  MoveTo(m_clock.Now());
  ScheduleNext();
}

void TDDFrameClock::Reset() {
  m_shown = m_edge(m_clock.Now());
  ScheduleNext();
}

void TDDFrameClock::Run(bool wanted) {
  if (!wanted) {
    m_wanted = false;
    m_timer.stop();
    return;
  }
  if (m_wanted && m_timer.isActive()) return;
  m_wanted = true;
  ScheduleNext();
}

void TDDFrameClock::MoveTo(qint32 ms) {
  const int edge = m_edge(ms);
  if (edge == m_shown) return;
  const int from = m_shown;
  m_shown = edge;
  ++m_frames;
  m_lastFrame.start();
  m_frame(from, edge);
}

void TDDFrameClock::Tick() {
  if (!m_wanted || !m_clock.Running()) return;
  MoveTo(m_clock.Now());
  ScheduleNext();
}

void TDDFrameClock::ScheduleNext() {
  // While the player's ticks come, they bring the frames.
  if (!m_wanted || !m_clock.Running() || m_clock.Standing() || m_shown < 0 || Pulsed()) {
    m_timer.stop();
    return;
  }
  // The first moment within the clock's reach at which the edge leaves the pixel it is shown
  // on: the edge is monotonic in the time, so halving the interval finds it in a few steps.
  const qint32 now = m_clock.Now();
  qint32 lo = now, hi = m_clock.Reach();
  if (hi <= lo || m_edge(hi) == m_shown) {
    // Nothing moves before the clock stands: the next position update wakes the frames.
    m_timer.stop();
    return;
  }
  if (m_edge(lo) == m_shown) {
    while (hi - lo > 1) {
      const qint32 mid = lo + (hi - lo) / 2;
      (m_edge(mid) == m_shown ? lo : hi) = mid;
    }
  } else {
    hi = now;
  }
  qint64 wait = qint64(hi) - now;
  if (m_lastFrame.isValid()) wait = std::max<qint64>(wait, MinInterval() - m_lastFrame.elapsed());
  m_timer.start(int(std::clamp<qint64>(wait, 0, LyricClock::kAhead)));
}

}  // namespace vireo
