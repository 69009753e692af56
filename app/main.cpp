// main.cpp — the process entry: everything happens in WinMain, and the platform says
// how the process ends.
#include "app/win_main.h"

int main() { PlatExitProcess(WinMain()); }
