// Record editing: add, modify, delete and the editor reset.
#include "app/Unit1.h"

namespace tessavo {

void TForm1::Button1Click() {}
void TForm1::Button2Click() {}
void TForm1::Button3Click() {}
void TForm1::Button_ClearAllEditClick() {}

}  // namespace tessavo
