#include "conversion.h"

#include <cstdlib>

namespace pagoret {
namespace {

bool IsNt5OrLater() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

UINT LocaleAnsiCodePage() {
  char digits[7] = {};  // at most 6 decimal digits
  if (::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits)) {
    const UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
    if (codePage != 0) return codePage;
  }
  return ::GetACP();
}

}  // namespace

UINT ConversionCodePage() {
  static const bool useThreadCodePage = IsNt5OrLater();
  return useThreadCodePage ? CP_THREAD_ACP : LocaleAnsiCodePage();
}

std::string ToAnsi(const wchar_t* text) {
  if (!text) return {};
  const UINT codePage = ConversionCodePage();
  const int size = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(size) - 1);
  return result;
}

}  // namespace pagoret
