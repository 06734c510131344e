#pragma once
// The grid's in-place editor: a line edit whose every change is stored in the
// table at once (there is no confirm step and no undo, so Escape keeps what
// was typed), and which shows a new text that a command stores in its cell
// while it is open. A cell too long to edit in place is never loaded into it:
// the editor then starts empty and stores only what is typed.

#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <QLineEdit>

#include <cstddef>

namespace app {

class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  // Cells of more bytes are not opened in place: laying out and copying such
  // a text on every keystroke would freeze the window.
  static constexpr std::size_t kInlineEditLimit = std::size_t{1} << 20;

  explicit CellDelegate(QObject* parent = nullptr);

  // The cell holds more than kInlineEditLimit bytes.
  static bool TooLongToEdit(const QModelIndex& index);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

  // The open editor, or null.
  QLineEdit* OpenEditor() const { return editor_; }

  // Follows the model's changes into the open editor.
  void WatchModel(QAbstractItemModel* model);

private:
  void ModelDataChanged(const QModelIndex& top_left, const QModelIndex& bottom_right);

  mutable QPointer<QLineEdit> editor_;
  mutable QPersistentModelIndex editor_index_;
  QPointer<QAbstractItemModel> watched_;
};

} // namespace app
