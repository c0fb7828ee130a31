// windows.h and the dialog headers come with the seam's own header, in the order they need.
#include "platform/win32/win32_dialogs.h"
//
#include <gtest/gtest.h>

namespace pelmora {
namespace {

// What the open command asks for.
FileDialogSettings openCommandSettings() {
    FileDialogSettings settings;
    settings.initialDir = "C:\\Program Files\\发送软件";
    settings.filterName = "dat files (*.led)";
    settings.filterPattern = "*.led";
    settings.filterIndex = 1;
    settings.allowMultiSelect = true;
    settings.namesMustExist = false;
    settings.title = "打开";
    return settings;
}

HWND const owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));

TEST(OpenFileNameCall, GivesTheDialogExactlyTheOpenCommandsSettings) {
    OpenFileNameCall call(openCommandSettings(), owner);
    const OPENFILENAMEW& p = call.parameters();
    EXPECT_EQ(p.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(p.hwndOwner, owner);
    // The description, its NUL, the pattern, its NUL and the closing NUL: 25 characters.
    EXPECT_EQ(std::wstring(p.lpstrFilter, 25), std::wstring(L"dat files (*.led)\0*.led\0\0", 25));
    EXPECT_EQ(p.nFilterIndex, 1u);
    EXPECT_EQ(p.Flags, static_cast<DWORD>(OFN_EXPLORER | OFN_ALLOWMULTISELECT));
    EXPECT_EQ(std::wstring(p.lpstrInitialDir), L"C:\\Program Files\\\u53d1\u9001\u8f6f\u4ef6");
    EXPECT_EQ(std::wstring(p.lpstrTitle), L"\u6253\u5f00");
    EXPECT_EQ(p.nMaxFile, 32768u);
    EXPECT_EQ(p.lpstrFile[0], L'\0');
    EXPECT_EQ(p.lpstrCustomFilter, nullptr);
    EXPECT_EQ(p.lpstrDefExt, nullptr);

    FileDialogSettings single = openCommandSettings();
    single.allowMultiSelect = false;
    single.namesMustExist = true;
    EXPECT_EQ(OpenFileNameCall(single, owner).parameters().Flags,
              static_cast<DWORD>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
}

// The system's dialog, replaced: it answers what the test put here, and keeps what it was given.
struct Answer {
    BOOL result = FALSE;
    std::wstring selection;  // written into the file buffer, NULs included
    DWORD error = 0;
    OPENFILENAMEW given{};
    std::wstring givenTitle;
} answer;

BOOL WINAPI fakeGetOpenFileName(OPENFILENAMEW* p) {
    answer.given = *p;
    answer.givenTitle = p->lpstrTitle ? p->lpstrTitle : L"";
    std::copy(answer.selection.begin(), answer.selection.end(), p->lpstrFile);
    return answer.result;
}
DWORD WINAPI fakeExtendedError() { return answer.error; }

TEST(Win32FileDialog, TellsAPathACancelAndAMultipleSelectionApart) {
    struct Case {
        const char* name;
        BOOL result;
        std::wstring selection;
        DWORD error;
        FileDialogResult::Outcome outcome;
        std::string path;
    };
    using O = FileDialogResult::Outcome;
    const std::vector<Case> cases = {
        {"one file", TRUE, std::wstring(L"C:\\shows\\\u5f69\u8679.led\0", 15), 0, O::chosen, "C:\\shows\\彩虹.led"},
        {"several", TRUE, std::wstring(L"C:\\shows\0a.led\0b.led\0\0", 23), 0, O::several, ""},
        {"cancel", FALSE, L"", 0, O::cancelled, ""},
        {"too many to list", FALSE, L"", FNERR_BUFFERTOOSMALL, O::several, ""},
        {"the dialog failed", FALSE, L"", CDERR_INITIALIZATION, O::cancelled, ""},
    };
    for (const Case& c : cases) {
        answer = Answer{c.result, c.selection, c.error, {}, {}};
        Win32FileDialog dialog(fakeGetOpenFileName, fakeExtendedError);
        dialog.setOwner(owner);
        const FileDialogResult result = dialog.open(openCommandSettings());
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.path, c.path) << c.name;
        EXPECT_EQ(answer.given.hwndOwner, owner) << c.name;
        EXPECT_EQ(answer.givenTitle, L"\u6253\u5f00") << c.name;
    }
}

struct ShownBox {
    HWND owner = nullptr;
    std::wstring text, title;
    UINT style = 0;
    int calls = 0;
} shownBox;

int WINAPI fakeMessageBox(HWND o, LPCWSTR text, LPCWSTR title, UINT style) {
    shownBox = {o, text, title, style, shownBox.calls + 1};
    return IDOK;
}

TEST(Win32MessageBox, IsModalToTheOwnerWithOkOnlyAndTheIconAsked) {
    Win32MessageBox box(fakeMessageBox);
    box.setOwner(owner);
    box.show("提示", "文件长度超出了控制器的容量.", MessageBox::Icon::exclamation);
    EXPECT_EQ(shownBox.calls, 1);
    EXPECT_EQ(shownBox.owner, owner);
    EXPECT_EQ(shownBox.title, L"\u63d0\u793a");
    EXPECT_EQ(shownBox.text, L"\u6587\u4ef6\u957f\u5ea6\u8d85\u51fa\u4e86\u63a7\u5236\u5668\u7684\u5bb9\u91cf.");
    EXPECT_EQ(shownBox.style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    box.show("失败", "串口不存在", MessageBox::Icon::none);
    EXPECT_EQ(shownBox.style, static_cast<UINT>(MB_OK));
}

struct Opened {
    HWND owner = nullptr;
    std::wstring verb, file;
    bool parametersAndFolder = true;
    INT show = 0;
} opened;

HINSTANCE WINAPI fakeShellExecute(HWND o, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show) {
    opened = {o, verb ? verb : L"", file, parameters != nullptr || folder != nullptr, show};
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(SE_ERR_NOASSOC));  // a failure, ignored
}

TEST(Win32WebOpener, OpensThePageWithVerbOpenShownNormallyOwnedByTheWindow) {
    Win32WebOpener web(fakeShellExecute);
    web.setOwner(owner);
    web.open("https://example.com/pelmora");
    EXPECT_EQ(opened.owner, owner);
    EXPECT_EQ(opened.verb, L"open");
    EXPECT_EQ(opened.file, L"https://example.com/pelmora");
    EXPECT_FALSE(opened.parametersAndFolder);
    EXPECT_EQ(opened.show, SW_SHOWNORMAL);
}

}  // namespace
}  // namespace pelmora
