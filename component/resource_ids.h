// Resource ids of pagoret.dll, shared by pagoret.rc and the C++ code.
#pragma once

#define IDR_TYPELIB 1      // resource type TYPELIB: the component's type library
#define IDS_PROJNAME 100   // module name
