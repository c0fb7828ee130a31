#include "platform/win32/win32_dialogs.h"

#include "platform/win32/utf.h"

namespace pelmora {

namespace {

// Modal to the whole program, as the Qt tool's dialogs are: while it is up, the tool's other
// windows (the parameter dialog beside the main window) take no input either, so that no
// command can run, or a window go, underneath it. The owner is disabled by the dialog itself.
class ThreadModal {
public:
    explicit ThreadModal(HWND owner) {
        struct Search {
            HWND owner;
            std::vector<HWND>* disabled;
        } search{owner, &disabled_};
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM parameter) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(parameter);
                if (window != s.owner && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
                    ::EnableWindow(window, FALSE);
                    s.disabled->push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
    }
    ~ThreadModal() {
        for (HWND window : disabled_)
            if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    ThreadModal(const ThreadModal&) = delete;
    ThreadModal& operator=(const ThreadModal&) = delete;

private:
    std::vector<HWND> disabled_;
};

}  // namespace

OpenFileNameCall::OpenFileNameCall(const FileDialogSettings& settings, HWND owner)
    : filter_(toWide(settings.filterName)),
      initialDir_(toWide(settings.initialDir)),
      title_(toWide(settings.title)),
      file_(fileBufferLength, L'\0') {
    // The one filter: its description and its pattern, each ended by a NUL, and a NUL after them.
    filter_.push_back(L'\0');
    filter_ += toWide(settings.filterPattern);
    filter_.push_back(L'\0');
    parameters_.lStructSize = sizeof parameters_;
    parameters_.hwndOwner = owner;
    parameters_.lpstrFilter = filter_.c_str();  // c_str() adds the final NUL
    parameters_.nFilterIndex = static_cast<DWORD>(settings.filterIndex);
    parameters_.lpstrFile = file_.data();
    parameters_.nMaxFile = fileBufferLength;
    parameters_.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    parameters_.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    parameters_.Flags = OFN_EXPLORER;
    if (settings.allowMultiSelect) parameters_.Flags |= OFN_ALLOWMULTISELECT;
    if (settings.namesMustExist) parameters_.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
}

FileDialogResult OpenFileNameCall::selection() const {
    // One file: its full path. Several: the folder, then each name, each ended by a NUL, and a
    // second NUL at the end.
    std::size_t end = 0;
    while (end < file_.size() && file_[end] != L'\0') ++end;
    if (end == 0 || end >= file_.size()) return {FileDialogResult::Outcome::cancelled, {}};
    if (end + 1 < file_.size() && file_[end + 1] != L'\0') return {FileDialogResult::Outcome::several, {}};
    return {FileDialogResult::Outcome::chosen, toUtf8(std::wstring_view(file_.data(), end))};
}

FileDialogResult Win32FileDialog::open(const FileDialogSettings& settings) {
    OpenFileNameCall call(settings, owner_);
    const ThreadModal modal(owner_);
    if (call_(&call.parameters())) return call.selection();
    // So many files chosen that their names do not fit: that too is a multiple selection.
    if (lastError_() == FNERR_BUFFERTOOSMALL) return {FileDialogResult::Outcome::several, {}};
    return {FileDialogResult::Outcome::cancelled, {}};
}

void Win32MessageBox::show(const std::string& title, const std::string& text, Icon icon) {
    const UINT style = MB_OK | (icon == Icon::exclamation ? MB_ICONEXCLAMATION : 0u);
    const ThreadModal modal(owner_);
    call_(owner_, toWide(text).c_str(), toWide(title).c_str(), style);
}

void Win32WebOpener::open(const std::string& url) {
    // Whatever the shell answers, there is nothing the tool would do about it.
    (void)call_(owner_, L"open", toWide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace pelmora
