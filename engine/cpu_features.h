#pragma once
// Which of the engine's loops built for newer processors (the *_avx2.cpp files) may run here.

namespace ostrevan {

// True when the processor has AVX2 and the system saves its registers.
bool HasAvx2();

}  // namespace ostrevan
