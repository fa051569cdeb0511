// The application manifest of every shipped program, as the system's loader
// reads it from the program file: today's common controls, no elevation,
// DPI awareness and the supported Windows versions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/common_controls.h"

namespace {

std::string BesideThisProgram(const char* name) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self);
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

// The manifest resource's text, empty when there is none.
std::string ManifestText(const std::string& program) {
  HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return {};
  std::string text;
  if (HRSRC found = ::FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID,
                                    RT_MANIFEST)) {
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    if (data) text.assign(data, ::SizeofResource(module, found));
  }
  ::FreeLibrary(module);
  return text;
}

// Whether a program running in `context` gets common controls 6.
bool GivesCommonControls6(HANDLE context) {
  ULONG_PTR cookie = 0;
  if (!::ActivateActCtx(context, &cookie)) return false;
  const bool six = testing_support::LoadsCommonControls6();
  ::DeactivateActCtx(0, cookie);
  return six;
}

class ProgramManifest : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgramManifest, AsksForCommonControls6AsInvokerDpiAwareOnWindows7To11) {
  const std::string program = BesideThisProgram(GetParam());
  ACTCTXA request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = program.c_str();
  request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE context = ::CreateActCtxA(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no usable manifest, error " << ::GetLastError();

  EXPECT_TRUE(GivesCommonControls6(context));

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel{};
  EXPECT_TRUE(::QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                             &runLevel, sizeof runLevel, nullptr));
  EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(runLevel.UiAccess, 0u);

  wchar_t dpiAware[32] = {};
  SIZE_T written = 0;
  EXPECT_TRUE(::QueryActCtxSettingsW(0, context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                     L"dpiAware", dpiAware, 32, &written));
  EXPECT_STREQ(dpiAware, L"true");
  ::ReleaseActCtx(context);

  // Windows 10 and 11 share one id; without it they run the program as if
  // on Windows 8.
  const std::string text = ManifestText(program);
  for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos) << os;
}

INSTANTIATE_TEST_SUITE_P(Shipped, ProgramManifest,
                         ::testing::Values("tellistry.exe", "tellconfig.exe", "raisealert.exe"));

}  // namespace
