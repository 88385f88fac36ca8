#include "player/TTerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <stdexcept>

namespace qrl {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler may only do async-signal-safe work: it writes the signal number into a pipe that
// the event loop watches.
int pipeEnds[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber) {
  const int saved = errno;
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
  errno = saved;
}

}  // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
  if (pipeEnds[0] >= 0) throw std::logic_error("termination signals are already handled");
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create the signal pipe");
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
  for (int s : kSignals) ::signal(s, SIG_DFL);
  delete notifier_;
  for (int& fd : pipeEnds) {
    ::close(fd);
    fd = -1;
  }
}

void TTerminationSignals::Drain() {
  char bytes[16];
  ssize_t n;
  while ((n = ::read(pipeEnds[0], bytes, sizeof bytes)) > 0)
    for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
}

}  // namespace qrl
