// The console face: the main form driven by typed commands, one per line.
// A reader thread takes lines off the input and posts each to the main
// thread's queue; the main thread runs the message loop, so a command typed
// while a Play or Record command waits (stop, say) is served inside that
// wait, as a click would be. The memo's new lines go to standard output,
// boxes are printed, and a prompt or dialog reads the next input line.
//
// Commands press the form's buttons and set its edits by their names, so
// the face knows the controls it drives but not what they do. End of input
// and `quit` close the form as closing its window would: CloseQuery, then
// the form is destroyed.
#pragma once

#include <functional>
#include <istream>
#include <memory>

class TCustomForm;
class TConsoleUI;

// Runs until the form has closed; returns 0. The console interaction is in
// force while it runs, and the form is created once it is.
int RunConsoleFace(std::istream& input, const std::function<std::unique_ptr<TCustomForm>()>& createMainForm);

// Shows the device selection dialog on the console: its entries numbered,
// then a number picks one, `ok` accepts as it stands, `cancel` or end of
// input cancels, and an empty line asks again. Installed by RunConsoleFace.
int RenderDeviceListOnConsole(TCustomForm& form, TConsoleUI& ui);
