#pragma once

// One turn in radians, rounded to float. The oscillators count their phase
// in cycles (0..1) and turn it into an angle with this.
inline constexpr float twoPi = 6.2831853f;

// The voices' wave tables were built with the turn one float step short.
// Every note of the music reads those tables, so a table made with twoPi
// would shift every render of the music in its last bits; they keep theirs.
inline constexpr float wavetableTwoPi = 6.283185f;
static_assert(twoPi - wavetableTwoPi == 0x1p-21f, "one float step apart");
