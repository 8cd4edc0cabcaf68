#include "debug_socket.h"

namespace standin::engine {

bool ClientSocket::readLine(std::string& line, size_t maxBytes) {
  line.clear();
  while (true) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (pending_.size() > maxBytes) return false;
    char chunk[512];
    const size_t received = receive(chunk, sizeof chunk);
    if (received == 0) return false;
    pending_.append(chunk, received);
  }
}

}  // namespace standin::engine
