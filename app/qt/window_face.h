// The window face: the program's main form in a Qt window, the Qt user
// interaction in force and the main thread's queue served by Qt's loop.
// No Qt in this header, so the program entry stays toolkit-free.
#pragma once

#include <functional>
#include <memory>

class TCustomForm;

// Runs until the main window has closed; the form is created once the
// window toolkit is up, so boxes its constructor shows are real ones.
int RunWindowFace(int& argc, char** argv, const std::function<std::unique_ptr<TCustomForm>()>& createMainForm);
