// A second Wine program kept busy beside the e2e cases (scripts/stress-e2e --wine).

#include "program_driver.h"

int main() { return ostrevan::e2e::KeepBusy(); }
