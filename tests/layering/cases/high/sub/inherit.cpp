#include "top/thing.h"
