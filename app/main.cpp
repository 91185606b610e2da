// The program entry: the application frame, the main window, the message loop.

#include <windows.h>

#include "Unit1.h"
#include "application.h"
#include "file_faults.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ostrevan::SlowFilesFromEnvironment();  // tests of the window slow the copies down
  ostrevan::app::Application& application = ostrevan::app::TheApplication();
  application.Initialize(instance);
  TForm1* form = TForm1::Create(instance, application.Handle(), application.Icon());
  return application.Run(form->Handle());
}
