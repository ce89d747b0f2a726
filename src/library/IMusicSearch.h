#pragma once

#include <QString>

#include "library/TMusicSearchItem.h"

namespace vireo {

// The music search component: finds songs in an online catalogue a page at a time and turns a
// found song into a playable address.
//
// Threading, as the library window uses it: ClearResults and GetItem on the UI thread; Search
// with its GetCount on the search thread; GetUrl on the address thread. At most one Search and
// one GetUrl run at a time, and a GetUrl may overlap any other call. Every operation is safe
// under that overlap (the result list is guarded inside). Search and GetUrl block on the network
// (worker threads only); the others never do.
class IMusicSearch {
 public:
  static constexpr int kPageSize = 30;

  virtual ~IMusicSearch() = default;

  // A result of the last Search; nullptr for an index out of range. The record stays valid, and
  // unchanged, until the next ClearResults, even when another Search has come meanwhile.
  virtual const TMusicSearchItem* GetItem(int index) const = 0;
  // Number of results of the last Search (0 after ClearResults or a failed search).
  virtual int GetCount() const = 0;
  // Drops every result and every record handed out.
  virtual void ClearResults() = 0;
  // The playable address of a found song (http or https), or empty when there is none or the
  // catalogue could not be asked.
  virtual QString GetUrl(const QString& key, qint32 extra) = 0;
  // Searches for the keyword as typed; offset is the page index × 30. Afterwards GetCount and
  // GetItem describe one page of at most 30 results. Results of a search that a ClearResults
  // overtook while it ran are dropped.
  virtual void Search(const QString& keyword, int offset) = 0;
};

}  // namespace vireo
