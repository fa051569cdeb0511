#include "framework/controls.h"

#include <vector>

namespace framework {

void ListView::InsertColumn(int column, const char* heading, int format, int width) const {
  LVCOLUMNA info{};
  info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  info.fmt = format;
  info.cx = width;
  info.pszText = const_cast<char*>(heading);
  info.iSubItem = column;
  Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
}

int ListView::InsertItem(const std::string& text, LPARAM data) const {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(Send(LVM_GETITEMCOUNT));
  item.pszText = const_cast<char*>(text.c_str());
  item.lParam = data;
  return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int item, int column, const std::string& text) const {
  LVITEMA info{};
  info.iSubItem = column;
  info.pszText = const_cast<char*>(text.c_str());
  Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
}

std::optional<LPARAM> ListView::ItemData(int item) const {
  LVITEMA info{};
  info.mask = LVIF_PARAM;
  info.iItem = item;
  if (!Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return std::nullopt;
  return info.lParam;
}

std::string ComboBox::Text(int item) const {
  const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(item));
  if (length == CB_ERR || length < 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1);
  const LRESULT copied =
      Send(CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
  return copied > 0 ? std::string(text.data(), static_cast<size_t>(copied)) : std::string();
}

}  // namespace framework
