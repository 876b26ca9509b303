#pragma once

#include <cstddef>
#include <cstdint>

namespace sphinx {

// Faint noise (about -55 dB below full scale) laid under everything the decoders hear.
// Stretches of digital silence, as from a noise-gated microphone or between files, have no
// spectrum to speak of: silence models fit them badly and they throw the cepstral mean far
// off, so that clean speech after them is misheard. Real room noise is louder than this.
// Voice training lays the same under the user's takes, so that the model is fitted to
// what the decoders will hear.
// Adds the hiss to `samples`, going on from the generator's state (1 to start afresh).
void addHiss(std::int16_t* samples, std::size_t count, std::uint32_t& state);

} // namespace sphinx
