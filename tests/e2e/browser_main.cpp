// The stand-in browser the shell opens https addresses with in the e2e prefix
// (RegisterAddressRecorder): `e2e_browser FILE ADDRESS` writes the address into FILE.

#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HANDLE out = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL wrote = WriteFile(out, argv[2], static_cast<DWORD>(std::strlen(argv[2])), &written, nullptr);
  CloseHandle(out);
  return wrote ? 0 : 1;
}
