#include "runtime/host/host_service.h"

void HostStart() {}
void HostShutdown() {}
