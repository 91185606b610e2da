// Holds the Wine session the e2e cases share: `e2e_session FILE` (see the script session).

#include "program_driver.h"

int main(int argc, char** argv) { return argc == 2 ? ostrevan::e2e::HoldSession(argv[1]) : 2; }
