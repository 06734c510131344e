// TForm1's page "О программе".

#include "app/page_column.h"
#include "app/page_widgets.h"
#include "app/unit1.h"

#include <QLabel>

namespace app {

void TForm1::BuildAboutPage() {
  QWidget* page = TabSheet5;
  Label8 =
      Named(new QLabel(QStringLiteral("Программа для сборки CSV файлов в один "), page), "Label8");
  Label3 = Named(new QLabel(QStringLiteral("Автор"), page), "Label3");
  Label4 = Named(new QLabel(QStringLiteral("Иван Петрович Сидоров"), page), "Label4");
  Label5 = Named(new QLabel(QStringLiteral("ICQ 123-456-789"), page), "Label5");
  Label6 = Named(new QLabel(QStringLiteral("E-mail: kleitab@example.org"), page), "Label6");
  Label7 = Named(new QLabel(QStringLiteral("Тел. +7 (000) 000-00-00"), page), "Label7");
  about_rows_ = std::make_unique<PageColumn>(page, 16, 16);
  about_rows_->AddRow(0, 0, {Label8});
  about_rows_->AddRow(0, 11, {Label3});
  for (QLabel* line : {Label4, Label5, Label6, Label7})
    about_rows_->AddRow(24, 3, {line});
}

} // namespace app
