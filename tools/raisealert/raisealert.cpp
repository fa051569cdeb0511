// raisealert: raises one alert from the command line, for batch files and
// scheduled tasks.
//   raisealert SENDER RECIPIENT MESSAGE...
// Words after the recipient are joined by single blanks into the message.
// Exit code 0 when the alert was written, 1 when it could not be, 2 on bad
// arguments.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/mailslot_writer.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: raisealert SENDER RECIPIENT MESSAGE...\n", stderr);
    return 2;
  }
  std::string message = argv[3];
  for (int i = 4; i < argc; ++i) message.append(" ").append(argv[i]);
  if (!alert::WriteAlert(argv[1], argv[2], message)) {
    std::fprintf(stderr, "raisealert: the alert could not be written (error %lu)\n",
                 static_cast<unsigned long>(::GetLastError()));
    return 1;
  }
  return 0;
}
