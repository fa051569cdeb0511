// pagoret.dll as administrators and scripts meet it: registered with the
// system's regsvr32, called by ProgID from cscript clients. The alerts are
// read from the server's mailslot name, created here in the server's place.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/datagram.h"
#include "common/handle.h"
#include "tests/support/test_mailslot.h"

namespace {

using testing_support::TestMailslot;

constexpr char kClsidKey[] = "CLSID\\{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}";
constexpr char kClsid[] = "{E59AF5BB-1072-46BD-BDE7-F33FF2428A37}";
constexpr char kLibid[] = "{50FFB38D-3871-404E-97C4-F172D46A8E21}";

std::string BinaryFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string DllPath() { return BinaryFolder() + "pagoret.dll"; }

// A file of the source tree, as a Windows path (Wine maps Z: to /).
std::string SourceFile(const std::string& relative) {
  const char* source = std::getenv("TELLISTRY_SOURCE");
  std::string path = std::string("Z:") + (source ? source : "") + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Runs a command line and returns its exit code, or -1.
int RunCommand(std::string commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
    return -1;
  win::KernelHandle process(pi.hProcess), thread(pi.hThread);
  if (::WaitForSingleObject(process.Get(), 120000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 99);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

int Regsvr32(const char* options) {
  return RunCommand(std::string("regsvr32.exe ") + options + " \"" + DllPath() + "\"");
}

bool KeyExists(const std::string& key) {
  win::RegKey handle;
  return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.Put()) ==
         ERROR_SUCCESS;
}

// A string value, or "(missing)".
std::string ReadValue(const std::string& key, const char* name) {
  win::RegKey handle;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.Put()) != ERROR_SUCCESS)
    return "(missing)";
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (::RegQueryValueExA(handle.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS || type != REG_SZ)
    return "(missing)";
  return data;
}

// Number of subkeys and values of a key.
std::pair<DWORD, DWORD> Contents(const std::string& key) {
  win::RegKey handle;
  DWORD subkeys = 99, values = 99;
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.Put()) == ERROR_SUCCESS)
    ::RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                       &values, nullptr, nullptr, nullptr, nullptr);
  return {subkeys, values};
}

void CreateKey(const std::string& key) {
  win::RegKey handle;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              handle.Put(), nullptr),
            ERROR_SUCCESS);
}

void ExpectRegistered() {
  const std::string clsid = kClsid, appid = kLibid, key = kClsidKey;
  EXPECT_EQ(ReadValue("AppID\\" + appid, ""), "pagoret");
  EXPECT_EQ(ReadValue("AppID\\pagoret.DLL", "AppID"), appid);

  EXPECT_EQ(ReadValue("CCompReg.CCompReg.1", ""), "CCompReg Object");
  EXPECT_EQ(ReadValue("CCompReg.CCompReg.1\\CLSID", ""), clsid);
  EXPECT_EQ(ReadValue("CCompReg.CCompReg", ""), "CCompReg Object");
  EXPECT_EQ(ReadValue("CCompReg.CCompReg\\CLSID", ""), clsid);
  EXPECT_EQ(ReadValue("CCompReg.CCompReg\\CurVer", ""), "CCompReg.CCompReg.1");

  EXPECT_EQ(ReadValue(key, ""), "CCompReg Object");
  EXPECT_EQ(ReadValue(key, "AppID"), appid);
  EXPECT_EQ(ReadValue(key + "\\ProgID", ""), "CCompReg.CCompReg.1");
  EXPECT_EQ(ReadValue(key + "\\VersionIndependentProgID", ""), "CCompReg.CCompReg");
  EXPECT_EQ(ReadValue(key + "\\InprocServer32", ""), DllPath());
  EXPECT_EQ(ReadValue(key + "\\InprocServer32", "ThreadingModel"), "") << "present and empty";
  EXPECT_EQ(ReadValue(key + "\\TypeLib", ""), appid);
  EXPECT_TRUE(KeyExists(key + "\\Programmable"));
  EXPECT_EQ(Contents(key), std::make_pair(DWORD{5}, DWORD{2}));
  EXPECT_EQ(Contents(key + "\\Programmable"), std::make_pair(DWORD{0}, DWORD{0}));

  EXPECT_EQ(ReadValue(std::string("TypeLib\\") + kLibid + "\\1.0", ""),
            "pagoret 1.0 Type Library");
  EXPECT_EQ(ReadValue(std::string("TypeLib\\") + kLibid + "\\1.0\\409\\win64", ""), DllPath());
}

TEST(Regsvr32, WritesTheEntriesAndRemovesThemAgain) {
  // Something of another component's that unregistration must not touch.
  CreateKey("AppID\\TellistryTests.Foreign");
  ASSERT_EQ(Regsvr32("/s"), 0);
  ExpectRegistered();

  // ForceRemove: registering again leaves one clean set.
  CreateKey(std::string(kClsidKey) + "\\Stale");
  ASSERT_EQ(Regsvr32("/s"), 0);
  EXPECT_FALSE(KeyExists(std::string(kClsidKey) + "\\Stale"));
  ExpectRegistered();

  ASSERT_EQ(Regsvr32("/u /s"), 0);
  EXPECT_FALSE(KeyExists(kClsidKey));
  EXPECT_FALSE(KeyExists("CCompReg.CCompReg"));
  EXPECT_FALSE(KeyExists("CCompReg.CCompReg.1"));
  EXPECT_FALSE(KeyExists(std::string("AppID\\") + kLibid));
  EXPECT_FALSE(KeyExists("AppID\\pagoret.DLL"));
  EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + kLibid));
  EXPECT_TRUE(KeyExists("CLSID"));
  EXPECT_TRUE(KeyExists("AppID"));
  EXPECT_TRUE(KeyExists("AppID\\TellistryTests.Foreign"));
  ::RegDeleteKeyA(HKEY_CLASSES_ROOT, "AppID\\TellistryTests.Foreign");
}

class ScriptClient : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_slot.IsOpen());
    ASSERT_EQ(Regsvr32("/s"), 0);
  }
  void TearDown() override { Regsvr32("/u /s"); }

  int RunScript(const char* name) {
    return RunCommand("cscript.exe //nologo \"" + SourceFile(std::string("tests/component/clients/") + name) +
               "\"");
  }

  std::vector<std::string> Alerts() {
    std::vector<std::string> texts;
    while (auto message = m_slot.Read(texts.empty() ? 2000 : 500)) {
      EXPECT_EQ(message->size(), alert::kDatagramSize);
      texts.push_back(alert::ParseDatagram(*message).text);
    }
    return texts;
  }

  TestMailslot m_slot{alert::kLocalMailslotName};
};

TEST_F(ScriptClient, VBScriptRaisesAlertsByProgId) {
  ASSERT_EQ(RunScript("alert_client.vbs"), 0);
  const std::vector<std::string> expected = {
      "VBScript\tAdmins\tDisk C: is full",
      "\t\t",
      "VBScript\tAdmins\tbefore",
      "VBScript\tAdmins\t42",
      "Victim42\tAdmins\tspoilt",
      "VBScript\tAdmins\tlast",
  };
  EXPECT_EQ(Alerts(), expected);
}

TEST_F(ScriptClient, JScriptRaisesAlertsByProgId) {
  ASSERT_EQ(RunScript("alert_client.js"), 0);
  const std::vector<std::string> expected = {
      "JScript\tAdmins\tDisk C: is full",
      "\t\t",
      "JScript\tAdmins\tbefore",
      "JScript\tAdmins\tx?y",
      "JScript\tAdmins\t42",
      "JScript\tAdmins\tlast",
  };
  EXPECT_EQ(Alerts(), expected);
}

}  // namespace
