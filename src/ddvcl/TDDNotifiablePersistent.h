#pragma once

#include <functional>

namespace vireo {

// The root of the bitmap chain: change notifications that can be held back by update brackets.
class TDDNotifiablePersistent {
 public:
  using TNotifyEvent = std::function<void(TDDNotifiablePersistent* sender)>;

  TDDNotifiablePersistent() = default;
  TDDNotifiablePersistent(const TDDNotifiablePersistent&) = delete;
  TDDNotifiablePersistent& operator=(const TDDNotifiablePersistent&) = delete;
  virtual ~TDDNotifiablePersistent() = default;

  // Calls OnChange when no update bracket is open.
  virtual void Changed();
  virtual void BeginUpdate();
  // Throws EDDError "Unpaired TDDNotifiablePersistent.EndUpdate" without an open bracket.
  virtual void EndUpdate();

  int UpdateCount() const { return m_updateCount; }

  TNotifyEvent OnChange;

 private:
  int m_updateCount = 0;
};

}  // namespace vireo
