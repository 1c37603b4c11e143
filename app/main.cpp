// The program Movanta.
#include "movanta_app.h"

movanta::app::CMovantaApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
