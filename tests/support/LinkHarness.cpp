#include "support/LinkHarness.h"
