// A process that does nothing until it is ended: what the kill tests end.
// Given any argument it ends at once: a stand-in for a program that must not
// be the one started.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    if (commandLine && *commandLine) return 0;
    Sleep(INFINITE);
    return 0;
}
