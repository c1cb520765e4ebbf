#pragma once

// Starts the hidden command that removes the program's folder 3 seconds from
// now, and returns at once. Always true.
bool StartSelfRemoval();
