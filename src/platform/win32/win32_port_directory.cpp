#include "platform/win32/win32_port_directory.h"

// windows.h first: the SetupAPI headers build on its types.
#include <windows.h>
//
#include <devguid.h>
#include <setupapi.h>

#include <memory>

#include "platform/win32/utf.h"

namespace pelmora {

std::string comDevicePath(int portNumber) {
    return portNumber < 1 ? std::string() : "\\\\.\\COM" + std::to_string(portNumber);
}

std::vector<PortDevice> describeComPorts(const ComPortNames& names, int count) {
    std::vector<PortDevice> devices;
    for (int n = 1; n <= count; ++n) {
        PortDevice device;
        if (const auto friendly = names.friendlyNames.find(n); friendly != names.friendlyNames.end()) {
            device.path = comDevicePath(n);
            device.description = friendly->second;
        } else if (const auto entry = names.serialComm.find(n); entry != names.serialComm.end()) {
            device.path = comDevicePath(n);
            device.description = entry->second + " (COM" + std::to_string(n) + ")";
        } else if (const auto dos = names.dosDevices.find(n); dos != names.dosDevices.end()) {
            device.path = comDevicePath(n);
            device.description = dos->second + " (COM" + std::to_string(n) + ")";
        }
        devices.push_back(device);
    }
    return devices;
}

namespace {

std::wstring registryString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return {};
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

// Every present device of the Ports class: its PortName from its own registry key, its friendly name.
void readFriendlyNames(ComPortNames& names) {
    HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        HKEY key = ::SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        const int number = comNumberOf(toUtf8(registryString(key, L"PortName")));
        ::RegCloseKey(key);
        if (number == 0) continue;
        wchar_t friendly[256] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE*>(friendly), sizeof friendly - sizeof(wchar_t),
                                                nullptr) &&
            friendly[0] != L'\0')
            names.friendlyNames[number] = toUtf8(friendly);
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one value per port, "\Device\Serial0" = "COM1".
void readSerialComm(ComPortNames& names) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        wchar_t data[64] = {};
        DWORD nameLength = 255, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        const LONG result =
            ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        if (const int number = comNumberOf(toUtf8(data)); number != 0) names.serialComm[number] = toUtf8(name);
    }
    ::RegCloseKey(key);
}

// Every DOS device name COMn there is now, with the first device it stands for.
void readDosDevices(ComPortNames& names) {
    std::vector<wchar_t> all(65536);
    const DWORD length = ::QueryDosDeviceW(nullptr, all.data(), static_cast<DWORD>(all.size()));
    for (DWORD at = 0; at < length && all[at] != L'\0';) {
        const std::wstring name(all.data() + at);
        at += static_cast<DWORD>(name.size()) + 1;
        const int number = comNumberOf(toUtf8(name));
        if (number == 0) continue;
        wchar_t target[1024] = {};
        names.dosDevices[number] = ::QueryDosDeviceW(name.c_str(), target, 1024) ? toUtf8(target) : toUtf8(name);
    }
}

}  // namespace

ComPortNames readComPortNames() {
    ComPortNames names;
    readFriendlyNames(names);
    readSerialComm(names);
    readDosDevices(names);
    return names;
}

PortDevice Win32PortDirectory::device(int portNumber) const {
    if (portNumber < 1) return {};
    return describeComPorts(readComPortNames(), portNumber).back();
}

std::vector<PortDevice> Win32PortDirectory::devices(int count) const {
    return describeComPorts(readComPortNames(), count);
}

}  // namespace pelmora
