#include "server/modem/footer.h"

#include "server/directory/registry_store.h"

namespace modem {

std::string ReadFooter(HKEY applicationKey) {
  return directory::RegReadString(applicationKey, "Footer");
}

}  // namespace modem
