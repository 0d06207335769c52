#include "runtime/net/net_service.h"

#include "runtime/net/multiplayer_link.h"

void NetStart() {
  NetLinkInstance();
}

void NetShutdown() {
  NetLinkShutdown();
}
