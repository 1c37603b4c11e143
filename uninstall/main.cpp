// The program UninstallMovanta.
#include "uninstall_app.h"

movanta::uninstall::CUninstallApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
