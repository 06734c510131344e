// TForm1's "Найти…" and "Заменить…" (Ctrl+F, Ctrl+H): the one find dialog,
// made when first asked for.

#include "app/error_box.h"
#include "app/find_dialog.h"
#include "app/unit1.h"

namespace app {

void TForm1::ShowFindDialog(bool replace) {
  if (!FindDialog1)
    FindDialog1 = new FindDialog(*this);
  FindDialog1->Open(replace);
}

void TForm1::N19Click() {
  Guard([this] { ShowFindDialog(false); });
}

void TForm1::N20Click() {
  Guard([this] { ShowFindDialog(true); });
}

} // namespace app
