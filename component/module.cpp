#include "module.h"

#include "class_factory.h"
#include "common/com_ptr.h"
#include "pagoret.h"

namespace pagoret {
namespace {

struct ComponentModule {
  HINSTANCE instance = nullptr;
  volatile LONG lockCount = 0;  // ModuleLockCount
  CriticalSection typeInfoLock;
  CriticalSection classListLock;
  bool stopped = false;
  IClassFactory* classFactory = nullptr;  // guarded by classListLock
  ITypeInfo* coclassInfo = nullptr;       // guarded by typeInfoLock
};

// The library is registered under its own locale; a lookup with the
// neutral locale would not find it.
constexpr LCID kTypeLibraryLocale = 0x0409;

// Built by the C runtime before DllMain sees the attach notification.
ComponentModule g_module;

}  // namespace

bool StartModule(HINSTANCE instance) {
  g_module.instance = instance;
  return g_module.typeInfoLock.IsValid() && g_module.classListLock.IsValid();
}

void StopModule(bool processEnding) {
  g_module.stopped = true;
  if (processEnding) return;
  if (g_module.classFactory) g_module.classFactory->Release();
  g_module.classFactory = nullptr;
  if (g_module.coclassInfo) g_module.coclassInfo->Release();
  g_module.coclassInfo = nullptr;
}

void LockModule() { ::InterlockedIncrement(&g_module.lockCount); }
void UnlockModule() { ::InterlockedDecrement(&g_module.lockCount); }
LONG ModuleLockCount() { return g_module.lockCount; }

HRESULT ModulePath(std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(g_module.instance, buffer, MAX_PATH);
  if (length == 0) return HRESULT_FROM_WIN32(::GetLastError());
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  path.assign(buffer, length);
  return S_OK;
}

HRESULT GetClassFactory(IClassFactory** factory) {
  if (g_module.stopped) return E_UNEXPECTED;
  ScopedLock lock(g_module.classListLock);
  if (!g_module.classFactory) {
    const HRESULT hr = ClassFactory::Create(&g_module.classFactory);
    if (FAILED(hr)) return hr;
  }
  *factory = g_module.classFactory;
  return S_OK;
}

HRESULT GetCoclassTypeInfo(ITypeInfo** info) {
  ScopedLock lock(g_module.typeInfoLock);
  if (!g_module.coclassInfo) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadRegTypeLib(LIBID_pagoret, 1, 0, kTypeLibraryLocale, library.Put());
    if (FAILED(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(CLSID_CCompReg, &g_module.coclassInfo);
    if (FAILED(hr)) return hr;
  }
  g_module.coclassInfo->AddRef();
  *info = g_module.coclassInfo;
  return S_OK;
}

}  // namespace pagoret
