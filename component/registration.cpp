#include "registration.h"

#include <oleauto.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/com_ptr.h"
#include "common/handle.h"
#include "module.h"
#include "pagoret.h"

namespace pagoret {
namespace {

// NoRemove keys stay on unregistration; ForceRemove keys are deleted with
// everything below them before they are written, and on unregistration.
enum class Mark { None, NoRemove, ForceRemove };

// One key, optionally with one string value. Key, value name and data may
// hold %NAME% replacements. A null value name: the key alone; "" is the
// default value.
struct RegistryEntry {
  const wchar_t* key;
  const wchar_t* valueName;
  const wchar_t* data;
  Mark mark;
};

constexpr RegistryEntry kAppIdEntries[] = {
    {L"AppID", nullptr, nullptr, Mark::NoRemove},
    {L"AppID\\%APPID%", L"", L"pagoret", Mark::None},
    {L"AppID\\pagoret.DLL", L"AppID", L"%APPID%", Mark::None},
};

constexpr RegistryEntry kClassEntries[] = {
    {L"CCompReg.CCompReg.1", L"", L"%FriendlyName%", Mark::None},
    {L"CCompReg.CCompReg.1\\CLSID", L"", L"%CLSID%", Mark::None},
    {L"CCompReg.CCompReg", L"", L"%FriendlyName%", Mark::None},
    {L"CCompReg.CCompReg\\CLSID", L"", L"%CLSID%", Mark::None},
    {L"CCompReg.CCompReg\\CurVer", L"", L"CCompReg.CCompReg.1", Mark::None},
    {L"CLSID", nullptr, nullptr, Mark::NoRemove},
    {L"CLSID\\%CLSID%", L"", L"%FriendlyName%", Mark::ForceRemove},
    {L"CLSID\\%CLSID%\\ProgID", L"", L"CCompReg.CCompReg.1", Mark::None},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", L"", L"CCompReg.CCompReg", Mark::None},
    {L"CLSID\\%CLSID%\\Programmable", nullptr, nullptr, Mark::ForceRemove},
    {L"CLSID\\%CLSID%\\%MODULETYPE%", L"", L"%MODULE%", Mark::None},
    // Empty: no apartment model, so COM creates the objects in the client's
    // main single-threaded apartment.
    {L"CLSID\\%CLSID%\\%MODULETYPE%", L"ThreadingModel", L"", Mark::None},
    {L"CLSID\\%CLSID%", L"AppID", L"%APPID%", Mark::None},
    {L"CLSID\\%CLSID%\\TypeLib", L"", L"%MODULEGUID%", Mark::None},
};

// Top-level keys no registration ever deletes, whatever their marks.
constexpr const wchar_t* kNeverDeleteKeys[] = {
    L"AppID", L"CLSID", L"Component Categories", L"FileType", L"Interface", L"Hardware",
    L"Mime",  L"SAM",   L"SECURITY",             L"SYSTEM",   L"Software",  L"TypeLib",
};

using Replacements = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring GuidString(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

// The AppID repeats the LIBID.
Replacements AppIdReplacements() { return {{L"APPID", GuidString(LIBID_pagoret)}}; }

HRESULT ClassReplacements(Replacements& replacements) {
  std::wstring module;
  const HRESULT hr = ModulePath(module);
  if (FAILED(hr)) return hr;
  replacements = {
      {L"FriendlyName", L"CCompReg Object"},    {L"CLSID", GuidString(CLSID_CCompReg)},
      {L"MODULE", module},                      {L"MODULETYPE", L"InprocServer32"},
      {L"MODULEGUID", GuidString(LIBID_pagoret)}, {L"APPID", GuidString(LIBID_pagoret)},
  };
  return S_OK;
}

std::wstring Expand(const wchar_t* pattern, const Replacements& replacements) {
  std::wstring result;
  for (const wchar_t* p = pattern; *p; ++p) {
    if (*p == L'%') {
      if (const wchar_t* end = wcschr(p + 1, L'%')) {
        const std::wstring name(p + 1, end);
        for (const auto& [key, value] : replacements) {
          if (key == name) {
            result += value;
            p = end;
            break;
          }
        }
        if (p == end) continue;
      }
    }
    result += *p;
  }
  return result;
}

// Only the shared keys right under HKEY_CLASSES_ROOT are protected: a
// ProgID's own CLSID subkey is the component's to remove.
bool IsNeverDeleted(const std::wstring& key) {
  for (const wchar_t* protectedName : kNeverDeleteKeys)
    if (::CompareStringOrdinal(key.c_str(), -1, protectedName, -1, TRUE) == CSTR_EQUAL)
      return true;
  return false;
}

bool IsMissing(LONG status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

// Deletes a key and everything below it; a missing key is no failure.
LONG DeleteTree(const std::wstring& key) {
  LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (status == ERROR_SUCCESS) status = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  return IsMissing(status) ? ERROR_SUCCESS : status;
}

bool IsEmptyKey(const std::wstring& key) {
  win::RegKey handle;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, handle.Put()) !=
      ERROR_SUCCESS)
    return false;
  DWORD subkeys = 0, values = 0;
  if (::RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subkeys == 0 && values == 0;
}

HRESULT Write(std::span<const RegistryEntry> entries, const Replacements& replacements) {
  for (const RegistryEntry& entry : entries) {
    const std::wstring key = Expand(entry.key, replacements);
    if (entry.mark == Mark::ForceRemove && !IsNeverDeleted(key)) {
      const LONG status = DeleteTree(key);
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    win::RegKey handle;
    LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, handle.Put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    if (!entry.valueName) continue;
    const std::wstring data = Expand(entry.data, replacements);
    status = ::RegSetValueExW(handle.Get(), entry.valueName, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

// Removes the values the entries set and their keys, last entry first. A
// key that still holds anything the component did not write stays, unless
// it is marked ForceRemove (then everything below it is the component's).
HRESULT Remove(std::span<const RegistryEntry> entries, const Replacements& replacements) {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const std::wstring key = Expand(it->key, replacements);
    if (it->valueName) {
      win::RegKey handle;
      LONG status = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE,
                                    handle.Put());
      if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(handle.Get(), it->valueName);
      if (status != ERROR_SUCCESS && !IsMissing(status)) return HRESULT_FROM_WIN32(status);
    }
    if (it->mark == Mark::NoRemove || IsNeverDeleted(key)) continue;
    LONG status = ERROR_SUCCESS;
    if (it->mark == Mark::ForceRemove)
      status = DeleteTree(key);
    else if (IsEmptyKey(key))
      status = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_SUCCESS && !IsMissing(status)) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

// Loads the embedded type library, or the .tlb file beside the library.
HRESULT LoadOwnTypeLibrary(ITypeLib** library, std::wstring& path) {
  HRESULT hr = ModulePath(path);
  if (FAILED(hr)) return hr;
  hr = ::LoadTypeLib(path.c_str(), library);
  if (SUCCEEDED(hr)) return hr;
  const std::size_t separator = path.find_last_of(L"\\/:");
  const std::size_t dot = path.find_last_of(L'.');
  if (dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator))
    path.erase(dot);
  path += L".tlb";
  return ::LoadTypeLib(path.c_str(), library);
}

}  // namespace

HRESULT RegisterAppIdEntries() { return Write(kAppIdEntries, AppIdReplacements()); }

HRESULT UnregisterAppIdEntries() { return Remove(kAppIdEntries, AppIdReplacements()); }

HRESULT RegisterClassEntries() {
  Replacements replacements;
  const HRESULT hr = ClassReplacements(replacements);
  return FAILED(hr) ? hr : Write(kClassEntries, replacements);
}

HRESULT UnregisterClassEntries() {
  Replacements replacements;
  const HRESULT hr = ClassReplacements(replacements);
  return FAILED(hr) ? hr : Remove(kClassEntries, replacements);
}

HRESULT RegisterTypeLibrary() {
  win::ComPtr<ITypeLib> library;
  std::wstring path;
  HRESULT hr = LoadOwnTypeLibrary(library.Put(), path);
  if (FAILED(hr)) return hr;
  // The help directory: the path cut after its last separator.
  std::wstring helpDirectory = path.substr(0, path.find_last_of(L"\\/:") + 1);
  return ::RegisterTypeLib(library.Get(), path.data(), helpDirectory.data());
}

HRESULT UnregisterTypeLibrary() {
  win::ComPtr<ITypeLib> library;
  std::wstring path;
  HRESULT hr = LoadOwnTypeLibrary(library.Put(), path);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (SUCCEEDED(hr)) {
    hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum,
                             attributes->wMinorVerNum, attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
  }
  return hr;
}

}  // namespace pagoret
