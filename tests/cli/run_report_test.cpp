#include "cli/run_report.h"
