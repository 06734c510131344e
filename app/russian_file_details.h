#pragma once
// The save dialog's file list in Russian whatever the system's locale:
// sizes ("480 байт"), dates ("09.12.2026 13:36") and kinds ("Папка", "Файл
// CSV") as a Russian user reads them. The dialog's own captions come from
// Qt's Russian translation.

#include <QIdentityProxyModel>

class QFileDialog;

namespace app {

class RussianFileDetails : public QIdentityProxyModel {
public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override;
};

// Puts the details above into a widget-based dialog (a native one shows the
// system's own), with the columns wide enough for them.
void UseRussianFileDetails(QFileDialog& dialog);

} // namespace app
