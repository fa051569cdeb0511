// pagoret.dll loaded by hand and driven through its exports: lifetime,
// class factory, aggregation, late binding and the alert it sends.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/datagram.h"
#include "component/resource_ids.h"
#include "pagoret.h"
#include "tests/support/test_mailslot.h"

namespace {

using testing_support::TestMailslot;

// The library and its exports; loaded once for the whole program so that
// its component-wide state lives as long as in a real client.
using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using NoArgumentFn = HRESULT(WINAPI*)();

struct Pagoret {
  HMODULE module = ::LoadLibraryA("pagoret.dll");
  GetClassObjectFn getClassObject = Export<GetClassObjectFn>("DllGetClassObject");
  NoArgumentFn canUnloadNow = Export<NoArgumentFn>("DllCanUnloadNow");
  NoArgumentFn registerServer = Export<NoArgumentFn>("DllRegisterServer");
  NoArgumentFn unregisterServer = Export<NoArgumentFn>("DllUnregisterServer");

  template <typename F>
  F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
};

Pagoret& Library() {
  static Pagoret library;
  return library;
}

IClassFactory* Factory() {
  IClassFactory* factory = nullptr;
  EXPECT_EQ(Library().getClassObject(CLSID_CCompReg, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)),
            S_OK);
  return factory;
}

IComponentRegistrar* NewObject() {
  IClassFactory* factory = Factory();
  IComponentRegistrar* object = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IComponentRegistrar,
                                    reinterpret_cast<void**>(&object)),
            S_OK);
  factory->Release();
  return object;
}

// A BSTR owned by the test.
struct Bstr {
  BSTR value;
  explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
  Bstr(const wchar_t* text, UINT length) : value(::SysAllocStringLen(text, length)) {}
  ~Bstr() { ::SysFreeString(value); }
};

struct Variant : VARIANT {
  Variant() { ::VariantInit(this); }
  explicit Variant(const wchar_t* text) : Variant() {
    vt = VT_BSTR;
    bstrVal = ::SysAllocString(text);
  }
  ~Variant() { ::VariantClear(this); }
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Library().module, nullptr) << "pagoret.dll did not load";
    ASSERT_TRUE(m_slot.IsOpen());
    m_object = NewObject();
    ASSERT_NE(m_object, nullptr);
  }
  void TearDown() override {
    if (m_object) m_object->Release();
  }

  // The text of the next datagram, or "(none)".
  std::string NextAlert(DWORD timeoutMs = 2000) {
    auto message = m_slot.Read(timeoutMs);
    if (!message) return "(none)";
    EXPECT_EQ(message->size(), alert::kDatagramSize);
    return alert::ParseDatagram(*message).text;
  }

  // Invoke with arguments given in rgvarg order (last parameter first).
  HRESULT Call(DISPID member, VARIANT* args, UINT count, UINT* argErr = nullptr) {
    DISPPARAMS params{args, nullptr, count, 0};
    Variant result;
    return m_object->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                            argErr);
  }

  TestMailslot m_slot{alert::kLocalMailslotName};
  IComponentRegistrar* m_object = nullptr;
};

TEST(Lifetime, LocksFollowObjectsFactoriesAndLockServer) {
  ASSERT_NE(Library().module, nullptr);
  EXPECT_EQ(Library().canUnloadNow(), S_OK);

  IClassFactory* factory = Factory();
  EXPECT_EQ(Library().canUnloadNow(), S_FALSE) << "a client holds the factory";
  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
            S_OK);
  factory->Release();
  EXPECT_EQ(Library().canUnloadNow(), S_FALSE) << "an object lives";
  object->Release();
  EXPECT_EQ(Library().canUnloadNow(), S_OK);

  factory = Factory();
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory->Release();
  EXPECT_EQ(Library().canUnloadNow(), S_FALSE) << "LockServer(TRUE) not yet undone";
  factory = Factory();
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory->Release();
  EXPECT_EQ(Library().canUnloadNow(), S_OK);
}

TEST(ClassObject, AnswersOnlyItsOwnClass) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Library().getClassObject(IID_IDispatch, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Library().getClassObject(CLSID_CCompReg, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(Library().getClassObject(CLSID_CCompReg, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(Library().canUnloadNow(), S_OK);
}

// A controlling object that counts its references.
struct Outer : IUnknown {
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(Aggregation, InnerObjectDelegatesToItsOuterObject) {
  Outer outer;
  IClassFactory* factory = Factory();
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IComponentRegistrar, &out),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);

  IUnknown* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
  factory->Release();
  EXPECT_EQ(outer.refs, 1u) << "the inner object holds no reference on its outer";

  IUnknown* again = nullptr;
  ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, inner) << "the inner IUnknown answers for itself";
  again->Release();

  IComponentRegistrar* registrar = nullptr;
  ASSERT_EQ(inner->QueryInterface(IID_IComponentRegistrar, reinterpret_cast<void**>(&registrar)),
            S_OK);
  EXPECT_EQ(outer.refs, 2u) << "interface references count on the outer object";
  IUnknown* identity = nullptr;
  ASSERT_EQ(registrar->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer) << "identity is the outer object's";
  identity->Release();
  registrar->Release();
  EXPECT_EQ(outer.refs, 1u);

  EXPECT_EQ(Library().canUnloadNow(), S_FALSE);
  inner->Release();
  EXPECT_EQ(Library().canUnloadNow(), S_OK);
}

// Installers look for OLESelfRegister before they call DllRegisterServer.
TEST(VersionResource, DeclaresSelfRegistrationAndVersion) {
  char path[MAX_PATH] = {};
  ASSERT_NE(::GetModuleFileNameA(Library().module, path, MAX_PATH), 0u);
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, data.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", &value, &length));
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_TRUE(::VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\OLESelfRegister", &value,
                               &length));
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\OriginalFilename",
                               &value, &length));
  EXPECT_STREQ(static_cast<const char*>(value), "pagoret.dll");
  char name[32] = {};
  EXPECT_GT(::LoadStringA(Library().module, IDS_PROJNAME, name, sizeof name), 0);
  EXPECT_STREQ(name, "pagoret");
}

TEST_F(ComponentTest, AnswersItsThreeInterfacesInOrder) {
  IUnknown* unknown = nullptr;
  IDispatch* dispatch = nullptr;
  IProvideClassInfo* classInfo = nullptr;
  void* other = reinterpret_cast<void*>(1);
  ASSERT_EQ(m_object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  ASSERT_EQ(m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  ASSERT_EQ(m_object->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&classInfo)),
            S_OK);
  EXPECT_EQ(m_object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(m_object));
  EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(m_object));
  EXPECT_NE(static_cast<void*>(classInfo), static_cast<void*>(m_object));
  unknown->Release();
  dispatch->Release();
  classInfo->Release();
}

TEST_F(ComponentTest, PagoretMsgSendsOneDatagramPerCall) {
  Bstr label(L"Backup"), recipient(L"Admins"), message(L"Disk full");
  EXPECT_EQ(m_object->PagoretMsg(label.value, recipient.value, message.value), S_OK);
  EXPECT_EQ(NextAlert(), "Backup\tAdmins\tDisk full");

  EXPECT_EQ(m_object->PagoretMsg(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(NextAlert(), "\t\t") << "null strings are empty";

  const wchar_t withNul[] = L"before\0after";
  Bstr cut(withNul, 12);
  EXPECT_EQ(m_object->PagoretMsg(label.value, recipient.value, cut.value), S_OK);
  EXPECT_EQ(NextAlert(), "Backup\tAdmins\tbefore") << "an embedded NUL ends the text";

  Bstr foreign(L"x\x4E2Dy");
  EXPECT_EQ(m_object->PagoretMsg(foreign.value, recipient.value, message.value), S_OK);
  EXPECT_EQ(NextAlert(), "x?y\tAdmins\tDisk full") << "the code page's default character";

  std::wstring longLabel(40, L'L');
  Bstr longOne(longLabel.c_str());
  EXPECT_EQ(m_object->PagoretMsg(longOne.value, recipient.value, message.value), S_OK);
  EXPECT_EQ(NextAlert(), std::string(30, 'L') + "\tAdmins\tDisk full");
  EXPECT_EQ(NextAlert(200), "(none)");
}

TEST(PagoretMsg, SucceedsWhenNoServerListens) {
  IComponentRegistrar* object = NewObject();
  ASSERT_NE(object, nullptr);
  Bstr text(L"nobody hears this");
  EXPECT_EQ(object->PagoretMsg(text.value, text.value, text.value), S_OK);
  EXPECT_EQ(object->Attach(nullptr), S_OK);
  object->Release();
}

TEST_F(ComponentTest, NamesResolveInAnyLetterCase) {
  const wchar_t* names[] = {L"pAgOrEtMsG", L"BRECIPIENT", L"bstrclsid", L"getcomponents"};
  DISPID ids[4] = {};
  ASSERT_EQ(m_object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 4, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 7);
  EXPECT_EQ(ids[1], 1);
  EXPECT_EQ(ids[2], 0);
  EXPECT_EQ(ids[3], 4);

  const wchar_t* unknown[] = {L"Attach", L"NoSuchName", L"bMessage"};
  DISPID partial[3] = {-9, -9, -9};
  EXPECT_EQ(m_object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(unknown), 3, 0, partial),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(partial[0], 1) << "names before the unknown one are resolved";
  EXPECT_EQ(partial[2], -9) << "names after it are left alone";
}

TEST_F(ComponentTest, InvokeChecksMembersAndArgumentCounts) {
  Variant args[4];
  EXPECT_EQ(m_object->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            DISP_E_BADVARTYPE);
  EXPECT_EQ(Call(7, args, 4), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(8, args, 0), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(0, args, 0), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(7, args, 2), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(2, args, 1), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(1, args, 1), S_OK) << "Attach with an empty path";
  EXPECT_EQ(NextAlert(200), "(none)");
}

TEST_F(ComponentTest, InvokeCoercesArgumentsToStrings) {
  Variant args[3];  // rgvarg order: message, recipient, label
  V_VT(&args[0]) = VT_I4;
  V_I4(&args[0]) = 42;
  args[1].vt = VT_BSTR;
  args[1].bstrVal = ::SysAllocString(L"Admins");
  Variant label(L"Backup");
  args[2].vt = VT_BYREF | VT_VARIANT;  // as VBScript passes a variable
  args[2].pvarVal = &label;
  EXPECT_EQ(Call(7, args, 3), S_OK);
  EXPECT_EQ(NextAlert(), "Backup\tAdmins\t42");
  ASSERT_EQ(V_VT(&args[0]), VT_BSTR) << "the argument now holds the converted string";
  EXPECT_STREQ(V_BSTR(&args[0]), L"42");
  args[2].vt = VT_EMPTY;  // not ours to clear

  // One variable for all three parameters, as in  o.PagoretMsg v, v, v
  Variant shared;
  V_VT(&shared) = VT_I4;
  V_I4(&shared) = 7;
  Variant same[3];
  for (Variant& a : same) {
    a.vt = VT_BYREF | VT_VARIANT;
    a.pvarVal = &shared;
  }
  EXPECT_EQ(Call(7, same, 3), S_OK);
  EXPECT_EQ(NextAlert(), "7\t7\t7");
  for (Variant& a : same) a.vt = VT_EMPTY;
}

TEST_F(ComponentTest, InvokeReportsTheArgumentThatIsNoString) {
  Variant args[3];
  UINT argErr = 99;
  V_VT(&args[0]) = VT_NULL;
  EXPECT_EQ(Call(7, args, 3, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u) << "the message is the last argument";

  V_VT(&args[0]) = VT_EMPTY;
  V_VT(&args[2]) = VT_NULL;
  argErr = 99;
  EXPECT_EQ(Call(7, args, 3, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 2u) << "the label is the first argument";

  LONG referenced = 5;
  V_VT(&args[2]) = VT_BYREF | VT_I4;
  V_I4REF(&args[2]) = &referenced;
  argErr = 99;
  EXPECT_EQ(Call(7, args, 3, &argErr), DISP_E_TYPEMISMATCH) << "by-reference values are refused";
  EXPECT_EQ(argErr, 2u);
  V_VT(&args[2]) = VT_EMPTY;
  EXPECT_EQ(NextAlert(200), "(none)") << "nothing is sent";
}

TEST_F(ComponentTest, InvokePlacesNamedArguments) {
  // Positional arguments come first: "Label" is bClass; the two named ones
  // follow in any order.
  Variant args[3];
  args[0].vt = VT_BSTR;  // named bRecipient
  args[0].bstrVal = ::SysAllocString(L"Recipient");
  args[1].vt = VT_BSTR;  // named bMessage
  args[1].bstrVal = ::SysAllocString(L"Text");
  args[2].vt = VT_BSTR;
  args[2].bstrVal = ::SysAllocString(L"Label");
  DISPID names[2] = {1, 2};
  DISPPARAMS params{args, names, 3, 2};
  EXPECT_EQ(m_object->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(NextAlert(), "Label\tRecipient\tText");

  DISPID outside[1] = {3};
  DISPPARAMS bad{args, outside, 3, 1};
  UINT argErr = 99;
  EXPECT_EQ(m_object->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &bad, nullptr, nullptr, &argErr),
            DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argErr, 0u);

  DISPID twice[2] = {0, 0};
  DISPPARAMS clash{args, twice, 3, 2};
  EXPECT_EQ(m_object->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &clash, nullptr, nullptr, nullptr),
            DISP_E_PARAMNOTFOUND)
      << "a parameter left without an argument";
  EXPECT_EQ(NextAlert(200), "(none)");
}

TEST_F(ComponentTest, GetComponentsListsNoClass) {
  SAFEARRAY* clsids = nullptr;
  SAFEARRAY* descriptions = nullptr;
  ASSERT_EQ(m_object->GetComponents(&clsids, &descriptions), S_OK);
  for (SAFEARRAY* array : {clsids, descriptions}) {
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(::SafeArrayGetDim(array), 1u);
    VARTYPE type = VT_EMPTY;
    ::SafeArrayGetVartype(array, &type);
    EXPECT_EQ(type, VT_BSTR);
    LONG lower = -1, upper = 0;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, -1) << "no elements";
    ::SafeArrayDestroy(array);
  }
  EXPECT_EQ(m_object->GetComponents(nullptr, &descriptions), E_POINTER);

  // Late bound, as a script passes its variables.
  Variant first, second;
  V_VT(&first) = VT_I4;
  Variant args[2];
  args[0].vt = VT_BYREF | VT_VARIANT;
  args[0].pvarVal = &second;
  args[1].vt = VT_BYREF | VT_VARIANT;
  args[1].pvarVal = &first;
  EXPECT_EQ(Call(4, args, 2), S_OK);
  EXPECT_EQ(V_VT(&first), VT_ARRAY | VT_BSTR);
  EXPECT_EQ(V_VT(&second), VT_ARRAY | VT_BSTR);
  args[0].vt = args[1].vt = VT_EMPTY;
  UINT argErr = 99;
  V_VT(&args[1]) = VT_I4;
  EXPECT_EQ(Call(4, args, 2, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
}

// Nothing changes before every argument is checked, and what a by-reference
// argument held is freed when an array replaces it (o.GetComponents a, a).
TEST_F(ComponentTest, GetComponentsReplacesWhatItsArgumentsHeld) {
  Outer held;  // its count shows whether the array holding it was freed
  SAFEARRAY* old = ::SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
  LONG index = 0;
  ASSERT_EQ(::SafeArrayPutElement(old, &index, static_cast<IUnknown*>(&held)), S_OK);
  Variant shared;
  V_VT(&shared) = VT_ARRAY | VT_UNKNOWN;
  V_ARRAY(&shared) = old;
  Variant args[2];
  args[1].vt = VT_BYREF | VT_VARIANT;
  args[1].pvarVal = &shared;
  V_VT(&args[0]) = VT_I4;
  UINT argErr = 99;
  EXPECT_EQ(Call(4, args, 2, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  EXPECT_EQ(V_VT(&shared), VT_ARRAY | VT_UNKNOWN) << "the first argument was changed";
  EXPECT_EQ(held.refs, 2u);

  args[0].vt = VT_BYREF | VT_VARIANT;
  args[0].pvarVal = &shared;
  EXPECT_EQ(Call(4, args, 2), S_OK);
  EXPECT_EQ(held.refs, 1u) << "the array the variable held was not freed";
  EXPECT_EQ(V_VT(&shared), VT_ARRAY | VT_BSTR);
  args[0].vt = args[1].vt = VT_EMPTY;
}

TEST_F(ComponentTest, TypeInformationComesFromTheLibraryItself) {
  UINT count = 9;
  EXPECT_EQ(m_object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(m_object->GetTypeInfoCount(nullptr), E_POINTER);

  ITypeInfo* info = nullptr;
  EXPECT_EQ(m_object->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(m_object->GetTypeInfo(0, 0, nullptr), E_POINTER);
  ASSERT_EQ(m_object->GetTypeInfo(0, 0, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, IID_IComponentRegistrar);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attributes);

  // The type information agrees with the name table.
  const wchar_t* name[] = {L"PagoretMsg"};
  MEMBERID id = 0;
  EXPECT_EQ(info->GetIDsOfNames(const_cast<LPOLESTR*>(name), 1, &id), S_OK);
  EXPECT_EQ(id, 7);
  info->Release();
}

// Registration state is the prefix's: this test leaves the component
// unregistered, as it found it. GetClassInfo's cache lives as long as the
// library, so this is the only test that asks for it.
TEST_F(ComponentTest, ClassInfoNeedsTheRegisteredTypeLibrary) {
  Library().unregisterServer();
  IProvideClassInfo* provider = nullptr;
  ASSERT_EQ(m_object->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provider)),
            S_OK);
  EXPECT_EQ(provider->GetClassInfo(nullptr), E_POINTER);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_TRUE(FAILED(provider->GetClassInfo(&info))) << "type library not registered";
  EXPECT_EQ(info, nullptr);

  ASSERT_EQ(Library().registerServer(), S_OK);
  ASSERT_EQ(provider->GetClassInfo(&info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, CLSID_CCompReg);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  info->ReleaseTypeAttr(attributes);
  info->Release();

  // Kept once loaded.
  EXPECT_EQ(Library().unregisterServer(), S_OK);
  ASSERT_EQ(provider->GetClassInfo(&info), S_OK);
  info->Release();
  provider->Release();
}

// The registrar methods write the class entries and the type library but
// never the AppID entries.
TEST_F(ComponentTest, RegistrarMethodsLeaveTheAppIdAlone) {
  auto exists = [](const char* key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
      return false;
    ::RegCloseKey(handle);
    return true;
  };
  Library().unregisterServer();
  ASSERT_FALSE(exists("CCompReg.CCompReg"));
  EXPECT_EQ(m_object->RegisterAll(), S_OK);
  EXPECT_TRUE(exists("CCompReg.CCompReg.1\\CLSID"));
  EXPECT_TRUE(exists("TypeLib\\{50FFB38D-3871-404E-97C4-F172D46A8E21}"));
  EXPECT_FALSE(exists("AppID\\pagoret.DLL"));
  EXPECT_EQ(m_object->UnregisterAll(), S_OK);
  EXPECT_FALSE(exists("CCompReg.CCompReg.1"));
  EXPECT_FALSE(exists("TypeLib\\{50FFB38D-3871-404E-97C4-F172D46A8E21}"));

  Bstr clsid(L"{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}"), other(L"{00000000-0000-0000-0000-000000000001}"),
      malformed(L"not a CLSID");
  EXPECT_EQ(m_object->RegisterComponent(other.value), S_OK);
  EXPECT_FALSE(exists("CLSID\\{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}"));
  EXPECT_TRUE(exists("TypeLib\\{50FFB38D-3871-404E-97C4-F172D46A8E21}")) << "the library only";
  EXPECT_EQ(m_object->RegisterComponent(malformed.value), S_OK);
  EXPECT_EQ(m_object->RegisterComponent(clsid.value), S_OK);
  EXPECT_TRUE(exists("CLSID\\{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}\\InprocServer32"));
  Bstr progId(L"CCompReg.CCompReg");
  EXPECT_EQ(m_object->UnregisterComponent(progId.value), S_OK);
  EXPECT_TRUE(exists("CLSID\\{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}")) << "a ProgID is no CLSID";
  EXPECT_EQ(m_object->UnregisterComponent(clsid.value), S_OK);
  EXPECT_FALSE(exists("CLSID\\{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}"));
  EXPECT_TRUE(exists("TypeLib\\{50FFB38D-3871-404E-97C4-F172D46A8E21}")) << "stays";
  EXPECT_EQ(m_object->UnregisterAll(), S_OK);
  EXPECT_FALSE(exists("TypeLib\\{50FFB38D-3871-404E-97C4-F172D46A8E21}"));
}

}  // namespace
