// main.cpp — the process entry: everything happens in WinMain.
#include "app/win_main.h"

int main() { return WinMain(); }
