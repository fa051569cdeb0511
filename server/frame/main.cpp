// tellistry.exe: the alert server's entry point and its application object.
#include <windows.h>

#include "server/frame/alert_server_app.h"

CAlertServerApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return theApp.Main(); }
