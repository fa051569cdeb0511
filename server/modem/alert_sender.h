// Message delivery: one alert text to one phone number through the active
// SMS entry's modem script. Runs on the user-interface thread; every outcome
// is written to the activity log.
#pragma once

#include <string>

#include "server/modem/serial_port.h"

namespace modem {

// The object behind one delivery. It owns its port, so every delivery starts
// with a closed port and an empty receive buffer, and the port is closed
// whichever way the delivery ends.
class AlertSender {
 public:
  AlertSender() = default;
  virtual ~AlertSender() = default;
  AlertSender(const AlertSender&) = delete;
  AlertSender& operator=(const AlertSender&) = delete;

  // 1 when the whole script ran, 0 on any failure. `exitRequested` is set
  // by Exit while the script pumps messages; the run then stops at its next
  // statement or pause, and the delivery is reported as interrupted.
  int Send(const std::string& alertText, const std::string& number, const bool& exitRequested);

 private:
  SerialPort m_port;
};

int SendAlert(const std::string& alertText, const std::string& number, const bool& exitRequested);

}  // namespace modem
