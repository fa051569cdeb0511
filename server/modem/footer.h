// The footer setting that ends every message.
#pragma once

#include <windows.h>

#include <string>

namespace modem {

// The "Footer" value of the open application key as stored (nothing added);
// empty when absent.
std::string ReadFooter(HKEY applicationKey);

}  // namespace modem
