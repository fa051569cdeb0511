// Late-bound arguments of IComponentRegistrar::Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace pagoret {

inline constexpr UINT kMaxArguments = 3;

// The arguments in parameter slots, in rgvarg order: slot 0 holds the last
// parameter. Named arguments go to the slot of their position; a
// DISPID_PROPERTYPUT first name takes slot 0.
struct ArgumentSlots {
  VARIANTARG* slot[kMaxArguments] = {};
  UINT count = 0;
};

// DISP_E_PARAMNOTFOUND (index in puArgErr) for a named position outside the
// arguments or a parameter left without an argument.
HRESULT ArrangeArguments(const DISPPARAMS& params, ArgumentSlots& slots, UINT* puArgErr);

// The string value of one argument. A VT_BSTR is used as it is; anything else
// (a by-reference VARIANT through what it refers to) is converted to VT_BSTR
// and then holds the converted string, so the caller sees it. A
// by-reference value of any other kind cannot be converted:
// DISP_E_TYPEMISMATCH.
HRESULT CoerceToBstr(VARIANTARG& argument, BSTR& value);

// Where GetComponents stores one of its arrays: a by-reference array, or a
// by-reference VARIANT (cleared now, given the array by StoreArray).
struct ArrayOut {
  SAFEARRAY** array = nullptr;
  VARIANT* variant = nullptr;
};
HRESULT PrepareArrayOut(VARIANTARG& argument, ArrayOut& out);
void StoreArray(const ArrayOut& out, SAFEARRAY* array);

}  // namespace pagoret
