// Requests a test makes of the shell through the stand-in engine, for behaviour no peer message
// can cause: the shell registers a callback through an export only the stand-in has (a real
// engine lacks it, so there the shell registers nothing). Platform thread.
#pragma once

namespace standin {

// Removes the shell's keyboard hook behind the shell's back, as Windows does with a hook that
// missed its time limit. False when the shell registered nothing or had no hook to remove.
bool DropShellKeyboardHook();

}  // namespace standin
