#include "high/own.h"
