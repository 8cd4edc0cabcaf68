// A TCP client on the loopback interface, for tests of the engine's debug server.
#pragma once

#include <string>

// A port no one listens on right now.
int freeLoopbackPort();

// Connects to 127.0.0.1:port and returns the first line the server sends, without its end;
// empty when nothing connects or arrives within two seconds.
std::string firstLineFrom(int port);
