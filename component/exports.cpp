// The five entry points of pagoret.dll.
#include <windows.h>
#include <ole2.h>

#include "class_factory.h"
#include "module.h"
#include "pagoret.h"
#include "registration.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) return pagoret::StartModule(instance) ? TRUE : FALSE;
  // reserved is non-null when the whole process is ending.
  if (reason == DLL_PROCESS_DETACH) pagoret::StopModule(reserved != nullptr);
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (rclsid != CLSID_CCompReg) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  const HRESULT hr = pagoret::GetClassFactory(&factory);
  return FAILED(hr) ? hr : factory->QueryInterface(riid, ppv);
}

HRESULT WINAPI DllCanUnloadNow() { return pagoret::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() {
  return pagoret::GuardedCall([] {
    HRESULT hr = pagoret::RegisterAppIdEntries();
    if (SUCCEEDED(hr)) hr = pagoret::RegisterClassEntries();
    if (SUCCEEDED(hr)) hr = pagoret::RegisterTypeLibrary();
    return hr;
  });
}

HRESULT WINAPI DllUnregisterServer() {
  return pagoret::GuardedCall([] {
    HRESULT hr = pagoret::UnregisterClassEntries();
    if (SUCCEEDED(hr)) hr = pagoret::UnregisterTypeLibrary();
    if (SUCCEEDED(hr)) hr = pagoret::UnregisterAppIdEntries();
    return hr;
  });
}

}  // extern "C"
