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

// Owner of one BSTR (null stays null).
class OwnedBstr {
 public:
  OwnedBstr() = default;
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { ::SysFreeString(m_value); }

  BSTR Get() const { return m_value; }
  // A copy of `text`, length prefix and all; false when memory runs out.
  bool CopyFrom(BSTR text);

 private:
  BSTR m_value = nullptr;
};

// The string value of one argument, as a copy of its own: converting a later
// argument may run the caller's code (an object's default property), which
// can change or free the variable this one came from. A VT_BSTR is copied as
// it is; anything else (a by-reference VARIANT through what it refers to) is
// converted to VT_BSTR and then holds the converted string, so the caller
// sees it. A by-reference value of any other kind cannot be converted:
// DISP_E_TYPEMISMATCH. No memory for the copy: E_OUTOFMEMORY.
HRESULT CoerceToBstr(VARIANTARG& argument, OwnedBstr& value);

// Where GetComponents stores one of its arrays: a by-reference array, or a
// by-reference VARIANT. Checking changes nothing, so a call refused for its
// second argument leaves the first as it was; storing frees what the
// argument held first (both may name one variable: nothing leaks).
struct ArrayOut {
  SAFEARRAY** array = nullptr;
  VARIANT* variant = nullptr;
};
HRESULT CheckArrayOut(const VARIANTARG& argument, ArrayOut& out);
void StoreArray(const ArrayOut& out, SAFEARRAY* array);

}  // namespace pagoret
