// Component-wide state of pagoret.dll: the module lock count, the locks and
// the cached type information. One copy per process that loaded the library.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <new>
#include <string>

#include "common/sync.h"

namespace pagoret {

using win::CriticalSection;
using win::ScopedLock;

// Called by DllMain on process attach and detach. Start returns false when a
// lock could not be initialised (the library then refuses to load). Stop
// releases the cached class factory and type information; when the whole
// process is ending (processEnding) other libraries may be gone already, so
// nothing is released then.
bool StartModule(HINSTANCE instance);
void StopModule(bool processEnding);

// ModuleLockCount: reasons to stay loaded (live objects, LockServer, clients
// holding the class factory). Changed only with interlocked operations.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Full path of pagoret.dll as the system reports it for the loaded module.
HRESULT ModulePath(std::wstring& path);

// The class factory of CCompReg: created on the first request under the
// class-list lock and kept (one reference, the cache's) until the library
// unloads. Returned without a reference added: callers QueryInterface it.
// E_UNEXPECTED once the module has been stopped.
HRESULT GetClassFactory(IClassFactory** factory);

// The type information of coclass CCompReg from the registered type library,
// loaded on the first request under the type-information lock and kept until
// the library unloads. Returned with a reference added.
HRESULT GetCoclassTypeInfo(ITypeInfo** info);

// Runs a COM method body: no exception ever leaves a COM method.
template <typename Body>
HRESULT GuardedCall(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace pagoret
