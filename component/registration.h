// The registry entries of pagoret under HKEY_CLASSES_ROOT and the
// registration of its type library. Each call stops at the first failing
// registry operation and returns its HRESULT (entries already written stay).
#pragma once

#include <windows.h>

namespace pagoret {

// AppID\{AppID} and AppID\pagoret.DLL; written by self-registration only.
HRESULT RegisterAppIdEntries();
HRESULT UnregisterAppIdEntries();

// The ProgIDs and CLSID\{CLSID} of CCompReg.
HRESULT RegisterClassEntries();
HRESULT UnregisterClassEntries();

// The type library embedded in pagoret.dll (or, failing that, pagoret.tlb
// beside it).
HRESULT RegisterTypeLibrary();
HRESULT UnregisterTypeLibrary();

}  // namespace pagoret
