#include "app/page_column.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QWidget>

#include <algorithm>

namespace app {

namespace {

// The designed layout counts on a font 13 pixels per line.
constexpr double kDesignedLineHeight = 13.0;

} // namespace

PageColumn::PageColumn(QWidget* page, int left, int top)
    : page_(page), column_(new QVBoxLayout(page)) {
  column_->setContentsMargins(left, Scaled(top), left, Scaled(top));
  column_->setSpacing(0);
  column_->addStretch(1);
}

QGridLayout* PageColumn::AddTwoColumnRow(int indent, int gap, int left_width) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(Scaled(16));
  grid->setVerticalSpacing(Scaled(3));
  grid->setColumnMinimumWidth(0, left_width);
  auto* row = new QHBoxLayout;
  row->addLayout(grid);
  row->addStretch(1);
  AddLayoutRow(indent, gap, row);
  return grid;
}

int PageColumn::Scaled(int pixels) const {
  const double scale = std::max(1.0, QFontMetrics(page_->font()).height() / kDesignedLineHeight);
  return qRound(pixels * scale);
}

QHBoxLayout* PageColumn::AddRow(int indent, int gap, std::initializer_list<QWidget*> widgets) {
  auto* row = new QHBoxLayout;
  row->setSpacing(Scaled(8));
  row->addSpacing(indent);
  for (QWidget* widget : widgets)
    row->addWidget(widget);
  row->addStretch(1);
  AddLayoutRow(0, gap, row);
  return row;
}

void PageColumn::AddLayoutRow(int indent, int gap, QLayout* layout) {
  // Rows go above the closing stretch.
  const bool first = column_->count() == 1;
  if (indent > 0) {
    auto* wrapper = new QHBoxLayout;
    wrapper->setSpacing(0);
    wrapper->addSpacing(indent);
    wrapper->addLayout(layout, 1);
    layout = wrapper;
  }
  if (!first)
    column_->insertSpacing(column_->count() - 1, Scaled(std::max(gap, 0)));
  column_->insertLayout(column_->count() - 1, layout);
}

} // namespace app
