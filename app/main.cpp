// The program entry: the application frame, the main window, the message loop.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Unit1.h"
#include "application.h"
#include "codepage.h"
#include "file_faults.h"

namespace {

// The paths after the program's own on its command line (files dropped onto its icon), read
// in UTF-16 so that any name arrives whole.
std::vector<std::string> CommandLinePaths() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> paths;
  for (int i = 1; arguments && i < count; ++i) paths.push_back(ostrevan::Narrow(arguments[i]));
  LocalFree(arguments);
  return paths;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ostrevan::SlowFilesFromEnvironment();  // tests of the window slow the copies down
  ostrevan::app::Application& application = ostrevan::app::TheApplication();
  application.Initialize(instance);
  TForm1* form = TForm1::Create(instance, application.Handle(), application.Icon());
  form->DropAfterShowing(CommandLinePaths());
  return application.Run(form->Handle());
}
