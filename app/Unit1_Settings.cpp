// The settings page: management password change, typing mode, compaction, clear all.
#include "access/PasswordFilter.h"
#include "app/Unit1.h"

namespace tessavo {

void TForm1::Button7Click() {}
void TForm1::Button_PassClealClick() {}
void TForm1::Button5Click() {}
void TForm1::Edit_Pass_AKeyPress(QChar& key) { FilterPasswordKey(key); }
void TForm1::Edit_Pass_BKeyPress(QChar& key) { FilterPasswordKey(key); }
void TForm1::LoadTypingMode() {}
void TForm1::Button6Click() {}
void TForm1::Button11Click() {}
void TForm1::Button9Click() {}

}  // namespace tessavo
