#pragma once
// The client proxy of the application server: one operation per server method.
// The operations are generated from wire/methods.txt (see tools/methodgen).

#include "generated/proxim_gen.h"
#include "remote/baglantiu.h"
#include "remote/mobilstokunit.h"
