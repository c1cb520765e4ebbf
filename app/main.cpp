#include <windows.h>

#include "app/VelmoraApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    CVelmoraApp app;
    app.InitInstance();
    return 0;
}
