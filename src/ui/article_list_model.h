#pragma once
// The group view's article list: a flat virtual model over the view's row
// list (TGroupView::Rows()), one row per visible thread or article, nothing
// copied. A rebuilt row list resets the model; one changed row redraws that
// row. The subject column carries the row's depth (indentation, limited to
// MaxThreadDepth) and whether it is a thread, for the window's delegate;
// fonts tell unread, read and partly read rows apart.

#include <QAbstractItemModel>
#include <QFont>
#include <QColor>

#include "articles/article.h"
#include "core/date_format.h"

namespace orvel {
class TGroupView;
}

namespace orvel::ui {

enum class ArticleColumn { Subject, Queue, Lines, Author, Date, Score, Number };
inline constexpr int kArticleColumnCount = 7;

struct ArticleListLook {
  QFont unreadFont;         // ArticleListFont
  QColor unreadColor;
  QFont readFont;           // ArticleReadFont
  QColor readColor;
  QFont partlyReadFont;     // ArticlePartiallyReadFont
  QColor partlyReadColor;
  int maxThreadDepth = 20;  // MaxThreadDepth
  DateFormatSettings dates;  // names of the date column
};

class ArticleListModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  // Roles beyond Qt's for the subject delegate.
  enum Role { DepthRole = Qt::UserRole + 1, ThreadRole, ExpandedRole };

  ArticleListModel(const TGroupView& view, ArticleListLook look, QObject* parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex&) const override { return {}; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The row's node, null outside the rows.
  TNode* nodeAt(int row) const;
  TNode* nodeAt(const QModelIndex& index) const { return nodeAt(index.row()); }
  // The row of a visible node, -1 when it is not a row now.
  int rowOf(const TNode* node) const;

  // The view's calls, forwarded by the window.
  void rowsChanged();
  void rowChanged(const TNode& node);
  void allRowsChanged();
  void rowsAboutToBeInserted(int first, int count) { beginInsertRows({}, first, first + count - 1); }
  void rowsInserted() { endInsertRows(); }
  void rowsAboutToBeRemoved(int first, int count) { beginRemoveRows({}, first, first + count - 1); }
  void rowsRemoved() { endRemoveRows(); }

  // "Today" for the date column, for tests; the clock's date otherwise.
  void setToday(double today) { today_ = today; }

 private:
  QString text(const TNode& node, ArticleColumn column) const;

  const TGroupView& view_;
  ArticleListLook look_;
  double today_ = 0;
};

}  // namespace orvel::ui
