#pragma once
// The geometry and analysis suites run with floating-point traps on: code
// that makes a NaN or an infinity where none is meant stops with SIGFPE. A
// test of a path that makes one on purpose masks them while it runs.

#include <fenv.h>

class TrapsMasked {
  public:
    TrapsMasked() : enabled_(fedisableexcept(kTraps)) {}
    ~TrapsMasked() {
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(enabled_);
    }
    TrapsMasked(const TrapsMasked&) = delete;
    static constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

  private:
    int enabled_;
};
