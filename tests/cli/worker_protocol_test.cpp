#include "cli/worker_protocol.h"
