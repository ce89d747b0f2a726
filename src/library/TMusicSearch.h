#pragma once

#include <QList>
#include <memory>
#include <mutex>
#include <vector>

#include "library/IMusicProvider.h"
#include "library/IMusicSearch.h"

namespace vireo {

// The music search component over a provider: keeps the result page and the records handed out.
//
// Threading: see IMusicSearch. One mutex guards the page, the records and the sequence number;
// it is never held across a request. Records live in a store that only ClearResults empties, so
// a pointer from GetItem stays valid until then whatever Search does meanwhile.
class TMusicSearch final : public IMusicSearch {
 public:
  explicit TMusicSearch(std::unique_ptr<IMusicProvider> provider);

  const TMusicSearchItem* GetItem(int index) const override;
  int GetCount() const override;
  void ClearResults() override;
  QString GetUrl(const QString& key, qint32 extra) override;
  void Search(const QString& keyword, int offset) override;

 private:
  const std::unique_ptr<IMusicProvider> provider_;

  mutable std::mutex mutex_;  // guards records_, page_, sequence_
  std::vector<std::unique_ptr<TMusicSearchItem>> records_;
  std::vector<const TMusicSearchItem*> page_;
  quint64 sequence_ = 0;
};

}  // namespace vireo
