#include "low/secret.h"
