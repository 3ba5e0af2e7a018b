// Everything the console and the simulated supply share about the wire.
#pragma once

#include "frame.h"
#include "numbers.h"
#include "reply.h"
