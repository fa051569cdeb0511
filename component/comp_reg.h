// CCompReg: the one creatable class of pagoret. Its IComponentRegistrar
// lists and (un)registers the component's classes, and PagoretMsg raises an
// alert. Objects keep nothing between calls but their reference count.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "dispatch_arguments.h"
#include "pagoret.h"

namespace pagoret {

class CCompReg final : public IComponentRegistrar, public IProvideClassInfo {
 public:
  // Makes an object (aggregated inside `outer` when given) and asks it for
  // riid; an object nobody holds is destroyed at once.
  static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

  // IUnknown: forwarded to the outer object when aggregated.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                          LCID lcid, DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // IComponentRegistrar
  HRESULT STDMETHODCALLTYPE Attach(BSTR bstrPath) override;
  HRESULT STDMETHODCALLTYPE RegisterAll() override;
  HRESULT STDMETHODCALLTYPE UnregisterAll() override;
  HRESULT STDMETHODCALLTYPE GetComponents(SAFEARRAY** pbstrCLSIDs,
                                          SAFEARRAY** pbstrDescriptions) override;
  HRESULT STDMETHODCALLTYPE RegisterComponent(BSTR bstrCLSID) override;
  HRESULT STDMETHODCALLTYPE UnregisterComponent(BSTR bstrCLSID) override;
  HRESULT STDMETHODCALLTYPE PagoretMsg(BSTR bClass, BSTR bRecipient, BSTR bMessage) override;

  // IProvideClassInfo
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;

 private:
  // The inner IUnknown of an aggregated object: controls its lifetime.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(CCompReg& owner) : m_owner(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

   private:
    CCompReg& m_owner;
  };

  explicit CCompReg(IUnknown* outer);
  ~CCompReg();

  HRESULT InternalQueryInterface(REFIID riid, void** ppv);
  ULONG InternalAddRef();
  ULONG InternalRelease();

  HRESULT InvokeGetComponents(const ArgumentSlots& slots, const DISPPARAMS& params,
                              UINT* puArgErr);
  HRESULT InvokeWithStrings(DISPID member, const ArgumentSlots& slots, const DISPPARAMS& params,
                            UINT* puArgErr);

  InnerUnknown m_inner{*this};
  IUnknown* m_outer;  // the controlling object when aggregated, else null
  // Plain count: objects live in the client's single-threaded apartment.
  ULONG m_cRef = 0;
};

}  // namespace pagoret
