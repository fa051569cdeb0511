// The Address Book dialog with the program's resources over a large address
// book: every user shows, in the order the list's own sort gives, each row
// naming its record (screenshot: build/win/bin/screenshots/address_book_many.bmp).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "framework/controls.h"
#include "server/directory/address_book.h"
#include "server/directory/address_book_dialogs.h"
#include "server/res/resource_ids.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/window_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Names whose order is not plain byte order: letter case, accents, signs,
// digits, spaces, an empty name and two equal ones.
const std::vector<std::string> kAwkwardNames = {
    "bob", "Bob", "BOB", "alice", "Alice", "_x", "-x", "x-y", "xy", "10", "9", "Zoe",
    "zo\xeb", "\xd6tzi", "Otto", "", " lead", "a b", "ab", "Ab", "Same", "Same", "\xe9mile", "Emil"};
constexpr int kUsers = 10000;

struct Row {
  std::string name;
  LPARAM data;
};

// The rows of a list view of this process, top to bottom.
std::vector<Row> Rows(HWND list) {
  std::vector<Row> rows;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    rows.push_back({text, item.lParam});
  }
  return rows;
}

struct BookFacts {
  bool found = false;
  long long shownMs = 0;
  std::vector<Row> users;
  bool screenshot = false;
};

void InspectAddressBook(DWORD dialogThread, Clock::time_point opened, BookFacts& facts) {
  HWND dialog = nullptr;
  for (int i = 0; i < 1200 && !dialog; ++i) {  // up to a minute
    ::EnumThreadWindows(
        dialogThread,
        [](HWND hwnd, LPARAM param) -> BOOL {
          char title[64] = {};
          ::GetWindowTextA(hwnd, title, sizeof title);
          if (std::string(title) != "Address Book..." || !::IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(param) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) ::Sleep(50);
  }
  if (!dialog) return;
  facts.found = true;
  facts.shownMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - opened).count();
  facts.users = Rows(::GetDlgItem(dialog, IDC_USERS_LIST));
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  facts.screenshot = testing_support::SaveWindowPicture(
      dialog, testing_support::ScreenshotPath("address_book_many.bmp"));
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

// A list view sorted as the dialog's are, filled one row at a time: the
// order the list's own sort gives.
std::vector<Row> SortedByTheListItself(const std::vector<std::string>& names) {
  HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", LVS_REPORT | LVS_SORTASCENDING, 0, 0, 100,
                                100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  framework::ListView view;
  view.Attach(list);
  view.InsertColumn(0, "Name", LVCFMT_LEFT, 100);
  for (std::size_t i = 0; i < names.size(); ++i) view.InsertItem(names[i], static_cast<LPARAM>(i));
  std::vector<Row> rows = Rows(list);
  EXPECT_FALSE(view.ItemData(static_cast<int>(names.size()))) << "no such row: no data";
  EXPECT_EQ(view.ItemData(0), rows.at(0).data);
  ::DestroyWindow(list);
  return rows;
}

TEST(AddressBookDialog, ShowsManyUsersSortedAsTheListSortsThem) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(::InitCommonControlsEx(&controls));
  testing_support::RegistrySandbox sandbox;
  std::vector<directory::UserRecord> users;
  for (const std::string& name : kAwkwardNames) users.push_back({name, "awkward", "+1", "<none>"});
  // The rest in an order far from sorted.
  for (int i = static_cast<int>(users.size()); i < kUsers; ++i) {
    const int n = (i * 7919) % kUsers;
    users.push_back({"User" + std::to_string(100000 + n), "desc " + std::to_string(n),
                     "+44" + std::to_string(n), n % 3 ? "<none>" : "Ops"});
  }
  ASSERT_TRUE(directory::AddUsers(users));
  ASSERT_TRUE(directory::AddGroup({"Ops", "operators"}));

  BookFacts facts;
  const Clock::time_point opened = Clock::now();
  std::thread inspector(InspectAddressBook, ::GetCurrentThreadId(), opened, std::ref(facts));
  CAddressBook(nullptr).DoModal();
  inspector.join();
  ASSERT_TRUE(facts.found);
  std::printf("Address Book shown with %d users after %lld ms\n", kUsers, facts.shownMs);
  EXPECT_TRUE(facts.screenshot);

  ASSERT_EQ(facts.users.size(), static_cast<std::size_t>(kUsers));
  std::vector<bool> seen(kUsers);
  for (const Row& row : facts.users) {
    ASSERT_GE(row.data, 0);
    ASSERT_LT(row.data, kUsers);
    EXPECT_FALSE(seen[row.data]) << "record " << row.data << " shown twice";
    seen[row.data] = true;
    EXPECT_EQ(row.name, users[row.data].Name) << "row of record " << row.data;
  }
  // The awkward ones keep the list's own order among themselves, the two
  // equal names in record order.
  std::vector<Row> awkward;
  for (const Row& row : facts.users)
    if (row.data < static_cast<LPARAM>(kAwkwardNames.size())) awkward.push_back(row);
  const std::vector<Row> expected = SortedByTheListItself(kAwkwardNames);
  ASSERT_EQ(awkward.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(awkward[i].data, expected[i].data) << "row " << i << ": '" << awkward[i].name
                                                 << "', the list puts '" << expected[i].name << "' there";
}

}  // namespace
