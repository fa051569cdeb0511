// The class factory of CCompReg.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "module.h"

namespace pagoret {

class ClassFactory final : public IClassFactory {
 public:
  // A new factory with one reference, the class cache's.
  static HRESULT Create(IClassFactory** factory);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  // A client's hold (count above 1) keeps the library loaded.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ClassFactory() = default;
  ~ClassFactory() = default;

  volatile LONG m_cRef = 1;
  CriticalSection m_lock;  // keeps count and module lock changes together
};

}  // namespace pagoret
