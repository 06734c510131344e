#include "app/cell_delegate.h"

#include <QLineEdit>

namespace app {

CellDelegate::CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setObjectName(QStringLiteral("InplaceEditor"));
  editor->setFrame(false);
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
  const QString text = index.data(Qt::EditRole).toString();
  // Setting the same text again would move the caret while the user types.
  if (line->text() != text)
    line->setText(text);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  if (auto* line = qobject_cast<QLineEdit*>(editor))
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
