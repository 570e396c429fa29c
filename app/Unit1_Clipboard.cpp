// The copy buttons and the clipboard wipe 60 seconds after the first copy.
#include <QLineEdit>
#include <QTimer>

#include "app/Unit1.h"
#include "autofill/Unit_Clipbrd.h"
#include "platform/desktop/Clipboard.h"

namespace tessavo::app {

void TForm1::copyFieldToClipboard(QLineEdit* field, bool secret) {
    field->selectAll();
    platform::clipboard().setText(field->text(), secret);
    // A pending wipe keeps its time: it still comes 60 seconds after the copy that armed it.
    if (!Timer_ClearClipbrd->isActive()) Timer_ClearClipbrd->start();
}

void TForm1::Button4Click() { copyFieldToClipboard(Edit_WangZhi, false); }

void TForm1::ButtonCopyZhangHaoClick() { copyFieldToClipboard(Edit_ZhangHao, true); }

// The password comes from the hidden plain copy; the visible field is masked.
void TForm1::ButtonCopyEdit_MiMaClick() { copyFieldToClipboard(Edit_MiMa_Temp, true); }

void TForm1::Timer_ClearClipbrdTimer() {
    autofill::ClipboardInstance().Clear();  // on failure the timer stays armed and tries again
    Timer_ClearClipbrd->stop();
}

}  // namespace tessavo::app
