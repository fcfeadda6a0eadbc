#include "ui/article_list_model.h"

#include <QDateTime>

#include <algorithm>

#include "articles/article_date.h"
#include "articles/group_view.h"
#include "articles/header_utils.h"
#include "articles/row_state.h"
#include "ui/icons.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

bool isNumberColumn(ArticleColumn column, bool folder) {
  switch (column) {
    case ArticleColumn::Queue:
    case ArticleColumn::Lines: return true;
    case ArticleColumn::Score:
    case ArticleColumn::Number: return !folder;  // a folder's origin columns
    default: return false;
  }
}

// The article a thread row speaks for in the author, date and number columns.
const TArticle* leadArticle(const TNode& node) {
  if (const TAThread* t = node.AsThread()) {
    return t->Articles.empty() ? nullptr : t->Articles.front();
  }
  return node.AsArticle();
}

double localToday() {
  const QDateTime now = QDateTime::currentDateTime();
  return DateTimeFromUnix(now.toSecsSinceEpoch() + now.offsetFromUtc());
}

}  // namespace

ArticleListModel::ArticleListModel(const TGroupView& view, ArticleListLook look, QObject* parent)
    : QAbstractItemModel(parent), view_(view), look_(std::move(look)), today_(localToday()) {}

QModelIndex ArticleListModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || column >= kArticleColumnCount ||
      row >= rowCount()) {
    return {};
  }
  return createIndex(row, column);
}

int ArticleListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(view_.Rows().size());
}

int ArticleListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kArticleColumnCount;
}

TNode* ArticleListModel::nodeAt(int row) const {
  const auto& rows = view_.Rows();
  return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)]
                                                         : nullptr;
}

int ArticleListModel::rowOf(const TNode* node) const {
  if (!node) return -1;
  const int row = node->SourceIndex;
  return nodeAt(row) == node ? row : -1;
}

Qt::ItemFlags ArticleListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                         : Qt::NoItemFlags;
}

QString ArticleListModel::text(const TNode& node, ArticleColumn column) const {
  const TArticle* lead = leadArticle(node);
  const TAThread* thread = node.AsThread();
  switch (column) {
    case ArticleColumn::Subject: return qs(node.Subject.view());
    case ArticleColumn::Queue: {
      const TArticle* a = node.AsArticle();
      return a && a->QueuePosition >= 0 ? QString::number(a->QueuePosition) : QString();
    }
    case ArticleColumn::Lines:
      if (thread) {
        if (thread->PartsTotal > 0) {
          return QString("%1/%2").arg(std::max(thread->PartsPresent, 0)).arg(thread->PartsTotal);
        }
        return QString("(%1)").arg(thread->Articles.size());
      }
      return QString::number(lead->Lines);
    case ArticleColumn::Author:
      if (!lead) return {};
      return qs(lead->FromName().empty() ? lead->FromAddress() : lead->FromName());
    case ArticleColumn::Date:
      return lead && lead->Date != 0 ? qs(FormatListDate(lead->Date, today_, look_.dates)) : QString();
    case ArticleColumn::Score: {
      // A folder shows its articles' origin, "server:group", in two columns.
      if (view_.IsFolder()) return lead ? qs(FolderOrigin(lead->Xref).first) : QString();
      const std::int32_t score = node.EffectiveScore(view_.View().options.score.KeptScore);
      return score ? QString::number(score) : QString();
    }
    case ArticleColumn::Number:
      if (view_.IsFolder()) return lead ? qs(FolderOrigin(lead->Xref).second) : QString();
      return lead && !thread ? QString::number(lead->Number) : QString();
  }
  return {};
}

QVariant ArticleListModel::data(const QModelIndex& index, int role) const {
  const TNode* node = nodeAt(index);
  if (!node || index.column() >= kArticleColumnCount) return {};
  const auto column = static_cast<ArticleColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return text(*node, column);
    case Qt::ToolTipRole:
      return column == ArticleColumn::Subject ? text(*node, column) : QVariant();
    case Qt::DecorationRole: {
      const RowState state = column == ArticleColumn::Subject ? RowStateOf(*node) : RowState::None;
      return state == RowState::None ? QVariant() : QVariant(RowStateIcon(state));
    }
    case Qt::FontRole:
      if (node->Has(NodeFlag::Read)) return look_.readFont;
      if (node->IsThread() && node->Has(NodeFlag::SomeRead)) return look_.partlyReadFont;
      return look_.unreadFont;
    case Qt::ForegroundRole:
      if (node->Has(NodeFlag::Read)) return look_.readColor;
      if (node->IsThread() && node->Has(NodeFlag::SomeRead)) return look_.partlyReadColor;
      return look_.unreadColor;
    case Qt::TextAlignmentRole:
      return static_cast<int>((isNumberColumn(column, view_.IsFolder()) ? Qt::AlignRight : Qt::AlignLeft) |
                              Qt::AlignVCenter);
    case DepthRole:
      return std::clamp(node->Depth(), 0, std::max(look_.maxThreadDepth, 0));
    case ThreadRole:
      return node->IsThread();
    case ExpandedRole: {
      const TAThread* t = node->AsThread();
      return t && t->Expanded;
    }
    default:
      return {};
  }
}

QVariant ArticleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kArticleColumnCount) return {};
  static const char* const kCaptions[kArticleColumnCount] = {"Sujet", "Q",     "Lignes", "Auteur",
                                                             "Date",  "Score", "No"};
  static const char* const kFolderCaptions[] = {"Server", "Newsgroup"};
  if (role == Qt::DisplayRole) {
    const int origin = section - static_cast<int>(ArticleColumn::Score);
    if (view_.IsFolder() && origin >= 0) return QString(kFolderCaptions[origin]);
    return QString(kCaptions[section]);
  }
  if (role == Qt::TextAlignmentRole) {
    return static_cast<int>(
        (isNumberColumn(static_cast<ArticleColumn>(section), view_.IsFolder()) ? Qt::AlignRight : Qt::AlignLeft) |
        Qt::AlignVCenter);
  }
  return {};
}

void ArticleListModel::rowsChanged() {
  beginResetModel();
  today_ = localToday();
  endResetModel();
}

void ArticleListModel::allRowsChanged() {
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kArticleColumnCount - 1));
}

void ArticleListModel::rowChanged(const TNode& node) {
  const auto redraw = [this](int row) {
    if (row >= 0) emit dataChanged(index(row, 0), index(row, kArticleColumnCount - 1));
  };
  redraw(rowOf(&node));
  // A thread's row shows its articles' read state too, closed or open.
  if (const TArticle* a = node.AsArticle(); a && a->Thread) redraw(rowOf(a->Thread));
}

}  // namespace orvel::ui
