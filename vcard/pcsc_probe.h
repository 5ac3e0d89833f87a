// The daemon's side of the story, for scripts and tests that must wait
// until the PC/SC daemon has noticed what the card did.
#pragma once

#include <string>

namespace vcard {

// Prints every reader with its state; exit status.
int printStatus();
// Waits until `reader` shows `state` (present, mute, empty or gone); a
// reader given as a number N means "Virtual PCD 00 0N". Exit status: 0 when
// seen, 1 on timeout (with the last state printed).
int waitForState(std::string reader, const std::string &state, double seconds);

} // namespace vcard
