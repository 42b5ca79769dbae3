#pragma once
// The display refresh that long loops of the engines run on every turn.

namespace pelto {

class MainForm;

// When the elapsed-time clock shows more than giUpdateFrequency seconds: pause 500 ms (so a long
// walk does not monopolise the machine), restart the clock, repaint the window and let pending
// window events run, which is when a Cancel click or an option change is seen.
// Returns true when it refreshed.
bool RefreshDisplayIfDue(MainForm& af);

} // namespace pelto
