#pragma once
// The Win32 side of the file dialog, the message box and the web opener. Each makes one system
// call, through a function pointer that tests may replace to see exactly what it was asked.

#include <windows.h>
//
#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/web_opener.h"

namespace pelmora {

// What GetOpenFileNameW is given for the settings: the strings it points to live here.
class OpenFileNameCall {
public:
    static constexpr DWORD fileBufferLength = 32768;  // room for the longest path Windows has
    OpenFileNameCall(const FileDialogSettings& settings, HWND owner);
    OpenFileNameCall(const OpenFileNameCall&) = delete;
    OpenFileNameCall& operator=(const OpenFileNameCall&) = delete;
    OPENFILENAMEW& parameters() { return parameters_; }
    // After the call: the one path chosen, or a folder and several names ("several").
    FileDialogResult selection() const;

private:
    std::wstring filter_, initialDir_, title_;
    std::vector<wchar_t> file_;
    OPENFILENAMEW parameters_{};
};

class Win32FileDialog : public FileDialog {
public:
    using Call = BOOL(WINAPI*)(OPENFILENAMEW*);
    using LastError = DWORD(WINAPI*)();
    explicit Win32FileDialog(Call call = ::GetOpenFileNameW, LastError lastError = ::CommDlgExtendedError)
        : call_(call), lastError_(lastError) {}
    void setOwner(HWND owner) { owner_ = owner; }
    FileDialogResult open(const FileDialogSettings& settings) override;

private:
    Call call_;
    LastError lastError_;
    HWND owner_ = nullptr;
};

class Win32MessageBox : public MessageBox {
public:
    using Call = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
    explicit Win32MessageBox(Call call = ::MessageBoxW) : call_(call) {}
    void setOwner(HWND owner) { owner_ = owner; }
    void show(const std::string& title, const std::string& text, Icon icon) override;

private:
    Call call_;
    HWND owner_ = nullptr;
};

class Win32WebOpener : public WebOpener {
public:
    using Call = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    explicit Win32WebOpener(Call call = ::ShellExecuteW) : call_(call) {}
    void setOwner(HWND owner) { owner_ = owner; }
    void open(const std::string& url) override;

private:
    Call call_;
    HWND owner_ = nullptr;
};

}  // namespace pelmora
