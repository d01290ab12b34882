#include "ComPortFriendlyNames.h"

#include <windows.h>

#include <setupapi.h>

#include "WideText.h"

namespace {

// The "Ports (COM & LPT)" device class, GUID_DEVCLASS_PORTS of devguid.h,
// spelt out so that no GUID library need be linked.
constexpr GUID kPortsClass{0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// A string read into a fixed buffer, cut at its first terminating zero (the
// registry does not promise one).
std::wstring Terminated(const wchar_t* text, DWORD bytes) {
  const std::wstring read(text, bytes / sizeof(wchar_t));
  return read.substr(0, read.find(L'\0'));
}

// "COM5": the PortName value of the device's hardware key.
std::wstring PortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[64] = {};
  DWORD type = 0;
  DWORD bytes = sizeof name;
  const LSTATUS read = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_SZ ? Terminated(name, bytes) : std::wstring();
}

std::wstring FriendlyName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  wchar_t name[256] = {};
  DWORD type = 0;
  DWORD bytes = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type, reinterpret_cast<BYTE*>(name),
                                         sizeof name, &bytes) ||
      type != REG_SZ) {
    return {};
  }
  return Terminated(name, bytes);
}

}  // namespace

std::map<std::string, std::string> ComPortFriendlyNames() {
  std::map<std::string, std::string> names;
  const HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return names;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::wstring port = PortName(devices, device);
    const std::wstring friendly = FriendlyName(devices, device);
    if (!port.empty() && !friendly.empty()) names[Utf8FromWide(port)] = Utf8FromWide(friendly);
  }
  SetupDiDestroyDeviceInfoList(devices);
  return names;
}
