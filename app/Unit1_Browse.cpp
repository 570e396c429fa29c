// Browsing and search: the listing, categories, search, navigation and the chosen row.
#include "app/Unit1.h"

namespace tessavo {

void TForm1::Button_RefreshClick() {}
void TForm1::ListBox_ClassClick() {}
void TForm1::Button_SearchClick() {}
void TForm1::searchkeywordClick() {}
void TForm1::searchkeywordDblClick() {}
void TForm1::Button_FirstClick() {}
void TForm1::Button_PriorClick() {}
void TForm1::Button_NextClick() {}
void TForm1::Button_LastClick() {}
void TForm1::DBGrid1MouseWheel(int) {}
void TForm1::DBGrid1CellClick() {}
void TForm1::Button_Pass_ShowOrHideClick() {}
void TForm1::Button10Click() {}

}  // namespace tessavo
