#pragma once
// kvprog_a at start: the windows the program opens with.
#include <memory>

#include "model_a/main.h"

namespace kva {

// The main window, not yet shown. The factory and CH SET windows are made anew each time
// their menu item is chosen, never at start: a hidden factory window would read Factory.INI
// and report a damaged one at every start, even in normal mode, where it can never open.
std::unique_ptr<TMainForm> createStartWindows();

}  // namespace kva
