#include "serial/port_list.h"
#include <setupapi.h>
#include "text/port_names.h"

namespace {

// The friendly name the system gives each present port, by port number.
struct FriendlyNames {
    char name[highest_port_number + 1][48];
};

// The device-setup class of serial and parallel ports.
const GUID ports_class = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// The port a friendly name ends with, as in "USB Serial Device (COM7)"; 0
// when it ends otherwise.
int port_of_friendly_name(char* name)
{
    char* open = nullptr;
    char* last = name;
    for (char* p = name; *p; ++p) {
        if (*p == '(')
            open = p;
        last = p;
    }
    if (!open || *last != ')')
        return 0;
    *last = '\0';
    int number = parse_port_name(open + 1);
    *last = ')';
    return number;
}

void read_friendly_names(FriendlyNames& names)
{
    HDEVINFO devices = SetupDiGetClassDevsA(&ports_class, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        char friendly[sizeof names.name[0]] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(friendly),
                                               sizeof friendly - 1, nullptr))
            continue;
        int number = port_of_friendly_name(friendly);
        if (number)
            lstrcpynA(names.name[number], friendly, sizeof friendly);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

// Marks the ports the system's serial-port map lists.
void read_present_ports(bool (&present)[highest_port_number + 1])
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < 1024; ++index) {
        char value_name[256];
        DWORD name_size = sizeof value_name;
        char port_name[16] = {};
        DWORD size = sizeof port_name - 1;
        DWORD type = 0;
        LONG got = RegEnumValueA(key, index, value_name, &name_size, nullptr, &type,
                                 reinterpret_cast<BYTE*>(port_name), &size);
        if (got == ERROR_NO_MORE_ITEMS)
            break;
        if (got == ERROR_SUCCESS && type == REG_SZ)
            present[parse_port_name(port_name)] = true;
    }
    RegCloseKey(key);
}

}  // namespace

void fill_port_list(HWND combo)
{
    bool present[highest_port_number + 1] = {};
    read_present_ports(present);
    // Too large for the stack of a dialog procedure; only one dialog fills it.
    static FriendlyNames names;
    for (auto& name : names.name)
        name[0] = '\0';
    read_friendly_names(names);
    for (int number = 1; number <= highest_port_number; ++number) {
        if (!present[number])
            continue;
        char entry[64];
        format_port_entry(entry, sizeof entry, number, names.name[number]);
        LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        if (index >= 0)
            SendMessageA(combo, CB_SETITEMDATA, index, number);
    }
}

void fill_rate_list(HWND combo)
{
    static const char* const rates[] = {"110",   "300",   "600",    "1200",   "2400",
                                        "4800",  "9600",  "14400",  "19200",  "38400",
                                        "57600", "115200", "230400", "460800", "921600"};
    for (const char* rate : rates)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rate));
}

int port_in_field(HWND combo)
{
    // Any entry is shorter than this; a text that fills it names no port.
    char text[64];
    if (GetWindowTextA(combo, text, sizeof text) >= static_cast<int>(sizeof text) - 1)
        return 0;
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (index != CB_ERR && text[0])
        return static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, index, 0));
    return parse_port_name(text);
}
