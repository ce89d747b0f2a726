#pragma once

#include <memory>
#include <vector>

#include "playlist/TDDPlaylistItem.h"

namespace vireo {

class TDDPlaylistModel;

// The ordered entries of one playlist, owned by its TDDPlaylistModel. Index 0 is the first row.
// Every structural change goes through the owner's bookkeeping: the current entry and the
// selection anchor follow the entries they name, and the owner raises its signals once per
// change, or once at the closing EndUpdate of a bracket.
//
// Threading: UI thread only, like the model that owns it.
class TDDPlaylistItems {
 public:
  // Sort kinds; the main window's sort menu uses Random, ByCaption and ByLength.
  enum SortKind : int {
    ByCaption = 0,   // Caption, bytes of its GB18030 form, ASCII letters folded to one case
    ByFileName = 1,  // FileName, the same comparison
    ByFileSize = 2,  // size of the file; missing files and folders count as -1
    ByFileDate = 3,  // last-modified day of the file; missing files count as 0
    ByLength = 4,    // LongTime
    Reversed = 5,
    Random = 6,
  };

  explicit TDDPlaylistItems(TDDPlaylistModel* owner);
  ~TDDPlaylistItems();  // destroys the entries without raising OnDeleteItem
  TDDPlaylistItems(const TDDPlaylistItems&) = delete;
  TDDPlaylistItems& operator=(const TDDPlaylistItems&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }

  // A new empty entry at the end / at index (0..Count()); std::out_of_range outside. Observers
  // hear of it at once, before the caller fills it in: fill entries inside an Update bracket,
  // or use the overloads that take a finished entry.
  TDDPlaylistItem& Add();
  TDDPlaylistItem& Insert(int index);
  TDDPlaylistItem& Add(const TDDPlaylistItem& item);
  TDDPlaylistItem& Insert(int index, const TDDPlaylistItem& item);

  // The entry at index; std::out_of_range for an index outside 0..Count()-1. Edits made through
  // the reference are not seen by observers until TDDPlaylistModel::ItemChanged (or the end of
  // the running bracket, which repaints).
  TDDPlaylistItem& Items(int index);
  const TDDPlaylistItem& Items(int index) const;
  TDDPlaylistItem& operator[](int index) { return Items(index); }
  const TDDPlaylistItem& operator[](int index) const { return Items(index); }

  // Destroys one entry (OnDeleteItem first). A deleted current entry leaves CurrentItem on the
  // entry before it, marked lost, as TDDPlaylistModel::DeleteSelected does.
  void Delete(int index);
  // Resets SelectedIndex and CurrentItem, then destroys every entry.
  void Clear();
  // Re-orders the entries (SortKind); the playing entry stays current at its new index and
  // nothing stays selected. Any other kind keeps the order.
  void Sort(int kind);
  // Replaces the entries with copies of other's.
  void Assign(const TDDPlaylistItems& other);

  void BeginUpdate();
  void EndUpdate();
  bool Updating() const;

  // BeginUpdate for its lifetime, so that a failure on the way never leaves the list mute.
  class Update {
   public:
    explicit Update(TDDPlaylistItems& items) : items_(items) { items_.BeginUpdate(); }
    ~Update() { items_.EndUpdate(); }
    Update(const Update&) = delete;
    Update& operator=(const Update&) = delete;

   private:
    TDDPlaylistItems& items_;
  };

 private:
  friend class TDDPlaylistModel;

  void CheckIndex(int index, int limit) const;
  // Raises OnDeleteItem for the entry when that is due.
  void NotifyDelete(const TDDPlaylistItem& item);
  void SortEntries(std::vector<std::unique_ptr<TDDPlaylistItem>>& entries, int kind);
  TDDPlaylistItem& InsertEntry(int index, std::unique_ptr<TDDPlaylistItem> entry);

  TDDPlaylistModel* owner_;
  std::vector<std::unique_ptr<TDDPlaylistItem>> items_;
  bool destroying_ = false;
};

}  // namespace vireo
