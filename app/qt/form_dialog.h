// Any form shown modally: its view in a dialog, centred on the window it
// belongs to. A button with a modal result, the list's double-click or a
// handler that sets the form's ModalResult asks the form to close; the
// form's CloseQuery may refuse, and the dialog then stays open with
// ModalResult back at mrNone. Escape presses the form's cancel button,
// Enter its default button; the title bar's close means mrCancel.
#pragma once

#include "platform/forms.h"

namespace qtview {

// Returns the modal result the form closed with. Main thread only.
int ShowFormModal(TCustomForm& form);

}  // namespace qtview
