#include "cli/resume_check.h"
