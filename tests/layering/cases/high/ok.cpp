#include <vector>
#include "high/own.h"
#include "local.h"
#include "low/base.h"
#include "top/other.h"
