// Starts the Windows tool: the Win32 seams, the two windows and the session, on one message loop.

#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_port_directory.h"
#include "platform/win32/win32_serial_port.h"
#include "session/session.h"
#include "ui/win32/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    pelmora::Win32MessageBox messages;
    pelmora::Win32FileDialog files;
    pelmora::Win32WebOpener web;
    pelmora::Win32PortDirectory ports;
    pelmora::Win32SerialPort port;

    pelmora::Win32MainWindow window;
    // The file dialog opens in the folder of the executable, every time.
    pelmora::Session session(window, {messages, files, web, port, ports}, pelmora::programFolder());
    window.setEvents(session);
    messages.setOwner(window.handle());
    files.setOwner(window.handle());
    web.setOwner(window.handle());
    session.startUp();
    // For tests and timing: with PELMORA_EXIT_WHEN_SHOWN set, the program ends once its window
    // has been painted for the first time.
    if (::GetEnvironmentVariableW(L"PELMORA_EXIT_WHEN_SHOWN", nullptr, 0) > 0)
        window.onFirstPaint([] { ::PostQuitMessage(0); });
    window.show();

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.dialogMessage(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
