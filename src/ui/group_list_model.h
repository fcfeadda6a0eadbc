#pragma once
// The group list window's model: a virtual tree over what the group list
// shows (TGroupList::shown()): top-level rows are groups or categories, a
// category's rows are its shown groups. It holds no state of its own beyond
// a look-up from records to rows, rebuilt whenever the logic rebuilds its
// shown list, and it is the list's observer: a changed record redraws its
// row, a rebuilt list resets the model.
//
// Drag and drop moves subscribed groups and categories within the
// subscribed tree; the drop place becomes a TreePosition and the logic
// moves them.

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>

#include "groups/group_list.h"

namespace orvel::ui {

class GroupListModel final : public QAbstractItemModel, public GroupListObserver {
  Q_OBJECT

 public:
  static constexpr const char* kMimeType = "application/x-orvel-group-rows";

  explicit GroupListModel(TGroupList& list, QObject* parent = nullptr);
  ~GroupListModel() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override { return {kMimeType}; }
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The record or category a row shows (null for the other kind).
  TGrpInfo* groupAt(const QModelIndex& index) const;
  TGrpCat* categoryAt(const QModelIndex& index) const;
  // The row of a shown record or category; invalid when not shown.
  QModelIndex indexOf(const TGrpInfo* group, int column = 0) const;
  QModelIndex indexOf(const TGrpCat* category) const;
  // The place in the tree of the row at (row, parent) (row -1 or past the
  // end: the end of that level), as a drop or an insertion there means it.
  TreePosition positionAt(int row, const QModelIndex& parent) const;
  // Where new groups go for a selected row: before a group, into a category.
  TreePosition insertionPoint(const QModelIndex& selected) const;
  // Whether rows may be dragged: the subscribed tree, unfiltered.
  bool treeShown() const;

  // GroupListObserver
  void groupChanged(const TGrpInfo& group) override;
  void shownListRebuilt() override;
  void filterChanged(bool active) override { emit filterStateChanged(active); }
  void requestEnded(const RequestOutcome& outcome) override { emit requestFinished(outcome); }

 signals:
  // After a reset: the view restores expansion and selection.
  void rebuilt();
  void filterStateChanged(bool active);
  void requestFinished(const RequestOutcome& outcome);

 private:
  const ShownRow* topRow(int row) const;
  void indexRows();
  std::size_t treeIndexOf(const TGrpCat* category) const;

  TGroupList& list_;
  // Row of each shown record: (category row or -1, row).
  QHash<const TGrpInfo*, QPair<int, int>> groupRows_;
  QHash<const TGrpCat*, int> categoryRows_;
  QIcon subscribedIcon_, unsubscribedIcon_, newIcon_, categoryIcon_;
};

}  // namespace orvel::ui
