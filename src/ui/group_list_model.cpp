#include "ui/group_list_model.h"

#include <QMimeData>

#include <algorithm>

#include "groups/group_columns.h"
#include "ui/icons.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

// Top-level rows have internal id 0; a category's rows the category's row + 1.
constexpr quintptr kTopLevel = 0;

bool isNumberColumn(int column) {
  switch (static_cast<GroupColumn>(column)) {
    case GroupColumn::Unread:
    case GroupColumn::Total:
    case GroupColumn::First:
    case GroupColumn::Last: return true;
    default: return false;
  }
}

// Numbers line up on the right, under their right-aligned captions.
QVariant alignmentOf(int column) {
  return static_cast<int>((isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) |
                          Qt::AlignVCenter);
}

// Dragged rows travel as "g <address>" and "c <address>" lines; a drop only
// takes addresses that are rows of the model at that moment.
QByteArray encodeRow(char kind, const void* address) {
  return QByteArray(1, kind) + ' ' + QByteArray::number(reinterpret_cast<quintptr>(address), 16);
}

}  // namespace

GroupListModel::GroupListModel(TGroupList& list, QObject* parent)
    : QAbstractItemModel(parent),
      list_(list),
      subscribedIcon_(GroupStateIcon(SubscriptionState::Subscribed)),
      unsubscribedIcon_(GroupStateIcon(SubscriptionState::Unsubscribed)),
      newIcon_(GroupStateIcon(SubscriptionState::New)),
      categoryIcon_(CategoryIcon()) {
  indexRows();
  list_.setObserver(this);
}

GroupListModel::~GroupListModel() { list_.setObserver(nullptr); }

const ShownRow* GroupListModel::topRow(int row) const {
  const auto& rows = list_.shown();
  return row >= 0 && row < static_cast<int>(rows.size()) ? &rows[static_cast<std::size_t>(row)]
                                                         : nullptr;
}

QModelIndex GroupListModel::index(int row, int column, const QModelIndex& parent) const {
  if (column < 0 || column >= kGroupColumnCount || row < 0) return {};
  if (!parent.isValid()) {
    return topRow(row) ? createIndex(row, column, kTopLevel) : QModelIndex();
  }
  if (parent.internalId() != kTopLevel || parent.column() != 0) return {};
  const ShownRow* top = topRow(parent.row());
  if (!top || row >= static_cast<int>(top->children.size())) return {};
  return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex GroupListModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kTopLevel) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopLevel);
}

int GroupListModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(list_.shown().size());
  if (parent.column() != 0 || parent.internalId() != kTopLevel) return 0;
  const ShownRow* top = topRow(parent.row());
  return top && top->category ? static_cast<int>(top->children.size()) : 0;
}

int GroupListModel::columnCount(const QModelIndex&) const { return kGroupColumnCount; }

TGrpInfo* GroupListModel::groupAt(const QModelIndex& index) const {
  if (!index.isValid()) return nullptr;
  if (index.internalId() == kTopLevel) {
    const ShownRow* top = topRow(index.row());
    return top ? top->group : nullptr;
  }
  const ShownRow* top = topRow(static_cast<int>(index.internalId() - 1));
  if (!top || index.row() >= static_cast<int>(top->children.size())) return nullptr;
  return top->children[static_cast<std::size_t>(index.row())];
}

TGrpCat* GroupListModel::categoryAt(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() != kTopLevel) return nullptr;
  const ShownRow* top = topRow(index.row());
  return top ? top->category : nullptr;
}

QVariant GroupListModel::data(const QModelIndex& index, int role) const {
  const int column = index.column();
  if (const TGrpInfo* g = groupAt(index)) {
    switch (role) {
      case Qt::DisplayRole:
        return qs(GroupColumnText(*g, static_cast<GroupColumn>(column)));
      case Qt::DecorationRole:
        if (column != 0) return {};
        return g->subscribed() ? subscribedIcon_
               : g->state == SubscriptionState::New ? newIcon_
                                                    : unsubscribedIcon_;
      case Qt::TextAlignmentRole:
        return alignmentOf(column);
      default: return {};
    }
  }
  if (const TGrpCat* c = categoryAt(index)) {
    if (column != 0) return {};
    if (role == Qt::DisplayRole) return qs(CategoryRowText(*c));
    if (role == Qt::DecorationRole) return categoryIcon_;
  }
  return {};
}

QVariant GroupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kGroupColumnCount) return {};
  if (role == Qt::DisplayRole) return qs(GroupColumnCaption(static_cast<GroupColumn>(section)));
  if (role == Qt::TextAlignmentRole) {
    return alignmentOf(section);
  }
  return {};
}

bool GroupListModel::treeShown() const {
  return list_.tab() == GroupTab::Subscribed && !list_.filterActive();
}

Qt::ItemFlags GroupListModel::flags(const QModelIndex& index) const {
  const bool tree = treeShown();
  if (!index.isValid()) return tree ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (tree) {
    f |= Qt::ItemIsDragEnabled;
    if (categoryAt(index)) f |= Qt::ItemIsDropEnabled;
  }
  return f;
}

QMimeData* GroupListModel::mimeData(const QModelIndexList& indexes) const {
  QList<QByteArray> lines;
  for (const QModelIndex& i : indexes) {
    if (i.column() != 0) continue;
    if (const TGrpInfo* g = groupAt(i)) lines << encodeRow('g', g);
    if (const TGrpCat* c = categoryAt(i)) lines << encodeRow('c', c);
  }
  if (lines.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kMimeType, lines.join('\n'));
  return data;
}

namespace {

struct DraggedRows {
  std::vector<TGrpInfo*> groups;
  std::vector<TGrpCat*> categories;
};

}  // namespace

bool GroupListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int,
                                     int, const QModelIndex& parent) const {
  if (!data || !data->hasFormat(kMimeType) || action != Qt::MoveAction || !treeShown()) {
    return false;
  }
  // Categories stay at top level.
  return !(parent.isValid() && data->data(kMimeType).contains("c "));
}

bool GroupListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                  int column, const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  DraggedRows dragged;
  for (const QByteArray& line : data->data(kMimeType).split('\n')) {
    bool ok = false;
    const quintptr address = line.mid(2).toULongLong(&ok, 16);
    if (!ok || line.size() < 3) continue;
    // Only addresses that are rows right now are taken; nothing else is
    // looked at.
    if (line[0] == 'g') {
      const auto* g = reinterpret_cast<const TGrpInfo*>(address);
      if (groupRows_.contains(g)) dragged.groups.push_back(const_cast<TGrpInfo*>(g));
    } else if (line[0] == 'c') {
      const auto* c = reinterpret_cast<const TGrpCat*>(address);
      if (categoryRows_.contains(c)) dragged.categories.push_back(const_cast<TGrpCat*>(c));
    }
  }
  const TreePosition position = positionAt(row, parent);
  if (!dragged.categories.empty()) {
    std::size_t index = position.index;
    for (TGrpCat* c : dragged.categories) {
      list_.MoveCategory(*c, index);
      // The next one goes right after it (an index counted before its move).
      index = treeIndexOf(c) + 1;
    }
  }
  if (!dragged.groups.empty()) list_.MoveGroups(dragged.groups, position);
  return !dragged.groups.empty() || !dragged.categories.empty();
}

std::size_t GroupListModel::treeIndexOf(const TGrpCat* category) const {
  const auto& tree = list_.lists().tree();
  for (std::size_t i = 0; i < tree.size(); ++i) {
    if (tree[i].category == category) return i;
  }
  return tree.size();
}

TreePosition GroupListModel::positionAt(int row, const QModelIndex& parent) const {
  const GroupLists& lists = list_.lists();
  if (!parent.isValid()) {
    const ShownRow* top = topRow(row);
    if (!top) return {};
    return {nullptr, top->group ? lists.PlaceIndex(*top->group) : treeIndexOf(top->category)};
  }
  if (TGrpCat* c = categoryAt(parent)) {
    const ShownRow* top = topRow(parent.row());
    if (row < 0 || row >= static_cast<int>(top->children.size())) return {c, TreePosition::kEnd};
    return {c, lists.PlaceIndex(*top->children[static_cast<std::size_t>(row)])};
  }
  // Dropped onto a group: before it, where it stands.
  if (TGrpInfo* g = groupAt(parent)) {
    if (g->subscribed()) return {g->category, lists.PlaceIndex(*g)};
  }
  return {};
}

TreePosition GroupListModel::insertionPoint(const QModelIndex& selected) const {
  if (!selected.isValid() || !treeShown()) return {};
  const QModelIndex first = selected.siblingAtColumn(0);
  if (TGrpCat* c = categoryAt(first)) return {c, TreePosition::kEnd};
  return positionAt(first.row(), first.parent());
}

QModelIndex GroupListModel::indexOf(const TGrpInfo* group, int column) const {
  const auto it = groupRows_.constFind(group);
  if (it == groupRows_.cend()) return {};
  const auto [parentRow, row] = *it;
  if (parentRow < 0) return createIndex(row, column, kTopLevel);
  return createIndex(row, column, static_cast<quintptr>(parentRow) + 1);
}

QModelIndex GroupListModel::indexOf(const TGrpCat* category) const {
  const auto it = categoryRows_.constFind(category);
  return it == categoryRows_.cend() ? QModelIndex() : createIndex(*it, 0, kTopLevel);
}

void GroupListModel::indexRows() {
  groupRows_.clear();
  categoryRows_.clear();
  const auto& rows = list_.shown();
  groupRows_.reserve(static_cast<qsizetype>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i);
    if (rows[i].group) {
      groupRows_.insert(rows[i].group, {-1, r});
      continue;
    }
    categoryRows_.insert(rows[i].category, r);
    for (std::size_t j = 0; j < rows[i].children.size(); ++j) {
      groupRows_.insert(rows[i].children[j], {r, static_cast<int>(j)});
    }
  }
}

void GroupListModel::groupChanged(const TGrpInfo& group) {
  const QModelIndex first = indexOf(&group, 0);
  if (!first.isValid()) return;
  emit dataChanged(first, first.siblingAtColumn(kGroupColumnCount - 1));
}

void GroupListModel::shownListRebuilt() {
  // The logic has already replaced its rows: nothing may look at the old
  // ones between these two calls.
  beginResetModel();
  indexRows();
  endResetModel();
  emit rebuilt();
}

}  // namespace orvel::ui
