#include "app/preview_pane.h"

#include "platform/codepage.h"

#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace app {

namespace {

QString CellText(const std::string& cell, merge::TextEncoding encoding) {
  if (encoding == merge::TextEncoding::kUtf8)
    return QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
  return QString::fromStdU16String(platform::Cp1251ToUtf16(cell));
}

constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

NarrowLabel::NarrowLabel(bool wrap, QWidget* parent) : QWidget(parent), wrap_(wrap) {
  QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  policy.setHeightForWidth(wrap);
  setSizePolicy(policy);
}

void NarrowLabel::setText(const QString& text) {
  text_ = text;
  setToolTip(text);
  updateGeometry();
  update();
}

QSize NarrowLabel::sizeHint() const {
  const int height = wrap_ ? heightForWidth(width()) : fontMetrics().height();
  return {fontMetrics().horizontalAdvance(QStringLiteral("…")), height};
}

int NarrowLabel::heightForWidth(int width) const {
  if (text_.isEmpty())
    return 0;
  return fontMetrics()
      .boundingRect(QRect(0, 0, std::max(width, 1), 100000), kFlags, text_)
      .height();
}

void NarrowLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (wrap_)
    painter.drawText(rect(), kFlags, text_);
  else
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text_, Qt::ElideMiddle, width()));
}

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PreviewPane1"));
  Button5 = new QPushButton(QStringLiteral("Определить"), this);
  Button5->setObjectName(QStringLiteral("Button5"));
  Button5->setToolTip(QStringLiteral("Найти разделитель, кодировку, кавычки и заголовок по "
                                     "началу отмеченных файлов"));
  Label14 = new NarrowLabel(true, this);
  Label14->setObjectName(QStringLiteral("Label14"));
  Label13 = new NarrowLabel(false, this);
  Label13->setObjectName(QStringLiteral("Label13"));
  StringGrid2 = new QTableView(this);
  StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
  model_ = new QStandardItemModel(this);
  StringGrid2->setModel(model_);
  StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid2->verticalHeader()->setDefaultSectionSize(StringGrid2->fontMetrics().height() + 4);
  StringGrid2->horizontalHeader()->setDefaultSectionSize(80);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(Button5, 0, Qt::AlignLeft);
  column->addWidget(Label14);
  column->addWidget(Label13);
  column->addWidget(StringGrid2, 1);
}

void PreviewPane::ShowPreview(const QString& name, const merge::Preview& preview) {
  const int rows = static_cast<int>(preview.rows.size());
  Label13->setText(preview.cut ? QStringLiteral("«%1», первые строки: %2").arg(name).arg(rows)
                               : QStringLiteral("«%1», строк: %2").arg(name).arg(rows));
  model_->clear();
  int columns = 0;
  for (const auto& row : preview.rows)
    columns = std::max(columns, static_cast<int>(row.size()));
  model_->setRowCount(rows);
  model_->setColumnCount(columns);
  for (int r = 0; r < rows; ++r) {
    const auto& row = preview.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(row.size()); ++c)
      model_->setItem(
          r, c, new QStandardItem(CellText(row[static_cast<std::size_t>(c)], preview.encoding)));
  }
}

void PreviewPane::ShowReason(const QString& text) {
  Label13->setText(text);
  model_->clear();
}

} // namespace app
