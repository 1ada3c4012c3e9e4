#include "low/base.h"
#include "high/own.h"
#include "top/other.h"
#include <vector>
#include "local.h"
