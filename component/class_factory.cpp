#include "class_factory.h"

#include <new>

#include "comp_reg.h"

namespace pagoret {

HRESULT ClassFactory::Create(IClassFactory** factory) {
  ClassFactory* created = new (std::nothrow) ClassFactory;
  if (!created) return E_OUTOFMEMORY;
  if (!created->m_lock.IsValid()) {
    delete created;
    return E_OUTOFMEMORY;
  }
  *factory = created;
  return S_OK;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
  ScopedLock lock(m_lock);
  const LONG count = ::InterlockedIncrement(&m_cRef);
  if (count == 2) LockModule();
  return static_cast<ULONG>(count);
}

ULONG ClassFactory::Release() {
  LONG count;
  {
    ScopedLock lock(m_lock);
    count = ::InterlockedDecrement(&m_cRef);
    if (count == 1) UnlockModule();
  }
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  return CCompReg::CreateInstance(outer, riid, ppv);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock)
    LockModule();
  else
    UnlockModule();
  return S_OK;
}

}  // namespace pagoret
