// Categories: the load from the records, add, rename and delete.
#include "app/Unit1.h"

namespace tessavo {

void TForm1::Button_GeiClassClick() {}
void TForm1::N5Click() {}
void TForm1::N4Click() {}
void TForm1::N3Click() {}

}  // namespace tessavo
