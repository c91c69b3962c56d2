#include "cli/progress_display.h"
