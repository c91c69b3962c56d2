#include "cli/run_plan.h"
