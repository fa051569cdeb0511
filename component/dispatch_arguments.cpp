#include "dispatch_arguments.h"

namespace pagoret {

HRESULT ArrangeArguments(const DISPPARAMS& params, ArgumentSlots& slots, UINT* puArgErr) {
  const UINT count = params.cArgs;
  const UINT named = params.cNamedArgs;
  // Malformed requests a careless client may build; never read past them.
  if (named > count || (count > 0 && !params.rgvarg) || (named > 0 && !params.rgdispidNamedArgs))
    return E_INVALIDARG;
  slots = ArgumentSlots{};
  slots.count = count;
  UINT first = 0;
  if (named > 0 && params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT) {
    slots.slot[0] = &params.rgvarg[0];
    first = 1;
  }
  for (UINT i = first; i < named; ++i) {
    const DISPID position = params.rgdispidNamedArgs[i];
    if (position < 0 || static_cast<UINT>(position) >= count) {
      if (puArgErr) *puArgErr = i;
      return DISP_E_PARAMNOTFOUND;
    }
    slots.slot[count - 1 - static_cast<UINT>(position)] = &params.rgvarg[i];
  }
  for (UINT i = named; i < count; ++i) slots.slot[i] = &params.rgvarg[i];
  // Two names for one parameter leave another without an argument.
  for (UINT i = 0; i < count; ++i)
    if (!slots.slot[i]) return DISP_E_PARAMNOTFOUND;
  return S_OK;
}

bool OwnedBstr::CopyFrom(BSTR text) {
  BSTR copy = text ? ::SysAllocStringLen(text, ::SysStringLen(text)) : nullptr;
  if (text && !copy) return false;
  ::SysFreeString(m_value);
  m_value = copy;
  return true;
}

HRESULT CoerceToBstr(VARIANTARG& argument, OwnedBstr& value) {
  VARIANT* target = &argument;
  if (V_VT(&argument) == (VT_BYREF | VT_VARIANT)) target = V_VARIANTREF(&argument);
  if (!target || (V_VT(target) & VT_BYREF)) return DISP_E_TYPEMISMATCH;
  if (V_VT(target) != VT_BSTR) {
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, target, 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    ::VariantClear(target);
    *target = converted;
  }
  return value.CopyFrom(V_BSTR(target)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CheckArrayOut(const VARIANTARG& argument, ArrayOut& out) {
  out = ArrayOut{};
  if (V_VT(&argument) == (VT_BYREF | VT_ARRAY | VT_BSTR) && V_ARRAYREF(&argument)) {
    out.array = V_ARRAYREF(&argument);
    return S_OK;
  }
  if (V_VT(&argument) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&argument)) {
    out.variant = V_VARIANTREF(&argument);
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

void StoreArray(const ArrayOut& out, SAFEARRAY* array) {
  if (out.array) {
    if (*out.array) ::SafeArrayDestroy(*out.array);
    *out.array = array;
    return;
  }
  ::VariantClear(out.variant);
  V_VT(out.variant) = VT_ARRAY | VT_BSTR;
  V_ARRAY(out.variant) = array;
}

}  // namespace pagoret
