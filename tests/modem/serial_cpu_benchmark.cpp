// CPU cost of waiting for the modem: the port open with its reader running
// against a silent modem for 30 s, while this thread takes from the buffer
// every 50 ms as a script's wait does. Prints the process CPU time as a share
// of one core. Run through tests/harness/modem_line.sh with --silent.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "server/modem/serial_port.h"
#include "tests/support/process_cpu.h"

int main() {
  const char* com = std::getenv("MODEMSIM_COM");
  if (!com) {
    std::fprintf(stderr, "run through tests/harness/modem_line.sh\n");
    return 2;
  }
  const int seconds = 30;
  modem::SerialPort port;
  if (port.Open(modem::PortDeviceName(std::atoi(com)), 2048, 2048) != 0) {
    std::fprintf(stderr, "cannot open COM%s: error %lu\n", com, port.LastError());
    return 1;
  }
  port.StartReader();
  port.WriteString("ATD 0800\r", nullptr, nullptr, INFINITE);  // no answer will come
  const double cpuStart = testing_support::ProcessCpuSeconds();
  const DWORD start = ::GetTickCount();
  std::size_t received = 0;
  while (::GetTickCount() - start < seconds * 1000u) {
    received += port.Received().Take(255).size();
    ::Sleep(50);
  }
  const double cpu = testing_support::ProcessCpuSeconds() - cpuStart;
  const double elapsed = (::GetTickCount() - start) / 1000.0;
  port.StopReader();
  port.Close();
  std::printf("serial wait on a silent modem: %.3f s CPU in %.1f s = %.2f%% of one core"
              " (target < 2%%), %zu bytes received\n",
              cpu, elapsed, 100.0 * cpu / elapsed, received);
  return 0;
}
