#include "comp_reg.h"

#include <new>
#include <string>

#include "common/com_ptr.h"
#include "common/mailslot_writer.h"
#include "conversion.h"
#include "module.h"
#include "registration.h"

namespace pagoret {
namespace {

// Late-bound names, searched in this order without regard to letter case.
// Parameter names give their position within their method.
struct NameEntry {
  const wchar_t* name;
  DISPID id;
};
constexpr NameEntry kNames[] = {
    {L"bstrPath", 0},      {L"Attach", 1},            {L"RegisterAll", 2},
    {L"UnregisterAll", 3}, {L"pbstrCLSIDs", 0},       {L"pbstrDescriptions", 1},
    {L"GetComponents", 4}, {L"bstrCLSID", 0},         {L"RegisterComponent", 5},
    {L"UnregisterComponent", 6}, {L"bClass", 0},      {L"bRecipient", 1},
    {L"bMessage", 2},      {L"PagoretMsg", 7},
};

enum Member : DISPID {
  kAttach = 1,
  kRegisterAll,
  kUnregisterAll,
  kGetComponents,
  kRegisterComponent,
  kUnregisterComponent,
  kPagoretMsg,
};

// The member's number of parameters, or -1 for an unknown DISPID.
int ParameterCount(DISPID member) {
  switch (member) {
    case kRegisterAll:
    case kUnregisterAll:
      return 0;
    case kAttach:
    case kRegisterComponent:
    case kUnregisterComponent:
      return 1;
    case kGetComponents:
      return 2;
    case kPagoretMsg:
      return 3;
    default:
      return -1;
  }
}

// A malformed string reads as no class at all.
CLSID ClassIdFromString(BSTR text) {
  CLSID clsid = CLSID_NULL;
  // Only the registry form: CLSIDFromString would also look up a ProgID.
  if (!text || FAILED(::IIDFromString(text, &clsid))) clsid = CLSID_NULL;
  return clsid;
}

HRESULT LoadInterfaceTypeInfo(ITypeInfo** info) {
  std::wstring path;
  HRESULT hr = ModulePath(path);
  if (FAILED(hr)) return hr;
  win::ComPtr<ITypeLib> library;
  hr = ::LoadTypeLib(path.c_str(), library.Put());
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(IID_IComponentRegistrar, info);
}

}  // namespace

CCompReg::CCompReg(IUnknown* outer) : m_outer(outer) { LockModule(); }

CCompReg::~CCompReg() { UnlockModule(); }

HRESULT CCompReg::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  CCompReg* object = new (std::nothrow) CCompReg(outer);
  if (!object) return E_OUTOFMEMORY;
  IUnknown* identity = outer ? static_cast<IUnknown*>(&object->m_inner)
                             : static_cast<IComponentRegistrar*>(object);
  // Holding a reference across the query destroys an object nobody took.
  object->InternalAddRef();
  const HRESULT hr = identity->QueryInterface(riid, ppv);
  object->InternalRelease();
  return hr;
}

// --- IUnknown -------------------------------------------------------------

HRESULT CCompReg::InternalQueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  IUnknown* found = nullptr;
  if (riid == IID_IComponentRegistrar || riid == IID_IDispatch || riid == IID_IUnknown)
    found = static_cast<IComponentRegistrar*>(this);
  else if (riid == IID_IProvideClassInfo)
    found = static_cast<IProvideClassInfo*>(this);
  *ppv = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

ULONG CCompReg::InternalAddRef() { return ++m_cRef; }

ULONG CCompReg::InternalRelease() {
  const ULONG count = --m_cRef;
  if (count == 0) delete this;
  return count;
}

HRESULT CCompReg::QueryInterface(REFIID riid, void** ppv) {
  return m_outer ? m_outer->QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
}

ULONG CCompReg::AddRef() { return m_outer ? m_outer->AddRef() : InternalAddRef(); }

ULONG CCompReg::Release() { return m_outer ? m_outer->Release() : InternalRelease(); }

HRESULT CCompReg::InnerUnknown::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown) {
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return m_owner.InternalQueryInterface(riid, ppv);
}

ULONG CCompReg::InnerUnknown::AddRef() { return m_owner.InternalAddRef(); }

ULONG CCompReg::InnerUnknown::Release() { return m_owner.InternalRelease(); }

// --- IDispatch ------------------------------------------------------------

HRESULT CCompReg::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return GuardedCall([pctinfo] {
    win::ComPtr<ITypeInfo> info;
    if (SUCCEEDED(LoadInterfaceTypeInfo(info.Put()))) *pctinfo = 1;
    return S_OK;
  });
}

HRESULT CCompReg::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
  if (iTInfo != 0) return DISP_E_BADINDEX;
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  return GuardedCall([&] { return LoadInterfaceTypeInfo(ppTInfo); });
}

HRESULT CCompReg::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                DISPID* rgDispId) {
  if (cNames > 0 && (!rgszNames || !rgDispId)) return E_POINTER;
  for (UINT i = 0; i < cNames; ++i) {
    const NameEntry* match = nullptr;
    if (rgszNames[i]) {
      for (const NameEntry& entry : kNames) {
        if (::CompareStringOrdinal(rgszNames[i], -1, entry.name, -1, TRUE) == CSTR_EQUAL) {
          match = &entry;
          break;
        }
      }
    }
    if (!match) return DISP_E_UNKNOWNNAME;
    rgDispId[i] = match->id;
  }
  return S_OK;
}

HRESULT CCompReg::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams,
                         VARIANT* pVarResult, EXCEPINFO*, UINT* puArgErr) {
  if (!pDispParams) return DISP_E_BADVARTYPE;
  if (pDispParams->cArgs > kMaxArguments) return DISP_E_BADPARAMCOUNT;
  if (pVarResult) ::VariantInit(pVarResult);
  ArgumentSlots slots;
  const HRESULT hr = ArrangeArguments(*pDispParams, slots, puArgErr);
  if (FAILED(hr)) return hr;
  const int parameters = ParameterCount(dispIdMember);
  if (parameters < 0) return DISP_E_MEMBERNOTFOUND;
  if (slots.count != static_cast<UINT>(parameters)) return DISP_E_BADPARAMCOUNT;
  switch (dispIdMember) {
    case kRegisterAll:
      return RegisterAll();
    case kUnregisterAll:
      return UnregisterAll();
    case kGetComponents:
      return InvokeGetComponents(slots, *pDispParams, puArgErr);
    default:
      return InvokeWithStrings(dispIdMember, slots, *pDispParams, puArgErr);
  }
}

HRESULT CCompReg::InvokeGetComponents(const ArgumentSlots& slots, const DISPPARAMS& params,
                                      UINT* puArgErr) {
  ArrayOut out[2];
  for (UINT parameter = 0; parameter < 2; ++parameter) {
    VARIANTARG* argument = slots.slot[slots.count - 1 - parameter];
    if (FAILED(CheckArrayOut(*argument, out[parameter]))) {
      if (puArgErr) *puArgErr = static_cast<UINT>(argument - params.rgvarg);
      return DISP_E_TYPEMISMATCH;
    }
  }
  SAFEARRAY* arrays[2] = {};
  const HRESULT hr = GetComponents(&arrays[0], &arrays[1]);
  if (FAILED(hr)) return hr;
  StoreArray(out[0], arrays[0]);
  StoreArray(out[1], arrays[1]);
  return S_OK;
}

// Members whose parameters are all strings: each argument is coerced in
// parameter order, stopping at the first that cannot be.
HRESULT CCompReg::InvokeWithStrings(DISPID member, const ArgumentSlots& slots,
                                    const DISPPARAMS& params, UINT* puArgErr) {
  OwnedBstr strings[kMaxArguments];
  for (UINT parameter = 0; parameter < slots.count; ++parameter) {
    VARIANTARG* argument = slots.slot[slots.count - 1 - parameter];
    const HRESULT hr = CoerceToBstr(*argument, strings[parameter]);
    if (hr == DISP_E_TYPEMISMATCH && puArgErr)
      *puArgErr = static_cast<UINT>(argument - params.rgvarg);
    if (FAILED(hr)) return hr;
  }
  switch (member) {
    case kAttach:
      return Attach(strings[0].Get());
    case kRegisterComponent:
      return RegisterComponent(strings[0].Get());
    case kUnregisterComponent:
      return UnregisterComponent(strings[0].Get());
    default:
      return PagoretMsg(strings[0].Get(), strings[1].Get(), strings[2].Get());
  }
}

// --- IComponentRegistrar ----------------------------------------------------

HRESULT CCompReg::Attach(BSTR) { return S_OK; }

HRESULT CCompReg::RegisterAll() {
  return GuardedCall([] {
    const HRESULT hr = RegisterClassEntries();
    return FAILED(hr) ? hr : RegisterTypeLibrary();
  });
}

HRESULT CCompReg::UnregisterAll() {
  GuardedCall([] {
    const HRESULT hr = UnregisterClassEntries();
    return FAILED(hr) ? hr : UnregisterTypeLibrary();
  });
  return S_OK;
}

HRESULT CCompReg::GetComponents(SAFEARRAY** pbstrCLSIDs, SAFEARRAY** pbstrDescriptions) {
  if (!pbstrCLSIDs || !pbstrDescriptions) return E_POINTER;
  *pbstrCLSIDs = nullptr;
  *pbstrDescriptions = nullptr;
  // A class is listed only with a description; CCompReg has none, so both
  // arrays are empty.
  SAFEARRAY* clsids = ::SafeArrayCreateVector(VT_BSTR, 0, 0);
  SAFEARRAY* descriptions = ::SafeArrayCreateVector(VT_BSTR, 0, 0);
  if (!clsids || !descriptions) {
    if (clsids) ::SafeArrayDestroy(clsids);
    if (descriptions) ::SafeArrayDestroy(descriptions);
    return E_OUTOFMEMORY;
  }
  *pbstrCLSIDs = clsids;
  *pbstrDescriptions = descriptions;
  return S_OK;
}

HRESULT CCompReg::RegisterComponent(BSTR bstrCLSID) {
  GuardedCall([bstrCLSID] {
    if (ClassIdFromString(bstrCLSID) == CLSID_CCompReg) {
      const HRESULT hr = RegisterClassEntries();
      if (FAILED(hr)) return hr;
    }
    return RegisterTypeLibrary();
  });
  return S_OK;
}

HRESULT CCompReg::UnregisterComponent(BSTR bstrCLSID) {
  GuardedCall([bstrCLSID] {
    return ClassIdFromString(bstrCLSID) == CLSID_CCompReg ? UnregisterClassEntries() : S_OK;
  });
  return S_OK;
}

// Sent whether or not a server listens: the caller never learns the outcome.
HRESULT CCompReg::PagoretMsg(BSTR bClass, BSTR bRecipient, BSTR bMessage) {
  return GuardedCall([=] {
    const std::string label = ToAnsi(bClass);
    const std::string recipient = ToAnsi(bRecipient);
    const std::string message = ToAnsi(bMessage);
    alert::WriteAlert(label, recipient, message);
    return S_OK;
  });
}

// --- IProvideClassInfo ------------------------------------------------------

HRESULT CCompReg::GetClassInfo(ITypeInfo** ppTI) {
  if (!ppTI) return E_POINTER;
  *ppTI = nullptr;
  return GetCoclassTypeInfo(ppTI);
}

}  // namespace pagoret
