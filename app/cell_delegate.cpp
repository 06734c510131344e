#include "app/cell_delegate.h"

#include "app/grid_model.h"

#include <QLineEdit>

#include <limits>

namespace app {

namespace {

// The editor's property that says it holds its cell's whole text; an editor
// opened on a cell too long to load starts empty and stores only what the
// user types.
constexpr char kHoldsCell[] = "kleitabHoldsCell";

} // namespace

bool CellDelegate::TooLongToEdit(const QModelIndex& index) {
  return index.data(GridModel::kCellBytesRole).toULongLong() > kInlineEditLimit;
}

CellDelegate::CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setObjectName(QStringLiteral("InplaceEditor"));
  editor->setFrame(false);
  // A line edit cuts its text at 32,767 characters unless told otherwise.
  editor->setMaxLength(std::numeric_limits<int>::max());
  QPersistentModelIndex where(index);
  auto* model = const_cast<QAbstractItemModel*>(index.model());
  // Each keystroke, cut or paste goes to the table straight away.
  connect(editor, &QLineEdit::textEdited, editor, [model, where](const QString& text) {
    if (where.isValid())
      model->setData(where, text, Qt::EditRole);
  });
  editor_ = editor;
  editor_index_ = index;
  return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line == nullptr)
    return;
  if (TooLongToEdit(index)) {
    line->clear();
    line->setModified(false);
    line->setProperty(kHoldsCell, false);
    return;
  }
  line->setProperty(kHoldsCell, true);
  const QString text = index.data(Qt::EditRole).toString();
  // Setting the same text again would move the caret while the user types.
  if (line->text() != text)
    line->setText(text);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line == nullptr)
    return;
  // An editor that never held its cell's text stores nothing the user did
  // not type.
  if (!line->property(kHoldsCell).toBool() && !line->isModified())
    return;
  model->setData(index, line->text(), Qt::EditRole);
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (editor == editor_) {
    editor_ = nullptr;
    editor_index_ = QPersistentModelIndex();
  }
  QStyledItemDelegate::destroyEditor(editor, index);
}

void CellDelegate::WatchModel(QAbstractItemModel* model) {
  if (watched_)
    disconnect(watched_, nullptr, this, nullptr);
  watched_ = model;
  if (model)
    connect(model, &QAbstractItemModel::dataChanged, this, &CellDelegate::ModelDataChanged);
}

void CellDelegate::ModelDataChanged(const QModelIndex& top_left, const QModelIndex& bottom_right) {
  if (!editor_ || !editor_index_.isValid())
    return;
  const int row = editor_index_.row();
  const int col = editor_index_.column();
  if (row < top_left.row() || row > bottom_right.row() || col < top_left.column() ||
      col > bottom_right.column())
    return;
  setEditorData(editor_, editor_index_);
}

} // namespace app
