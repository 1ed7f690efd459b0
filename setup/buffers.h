// The two fixed buffers the program passes around. Their sizes are part of the behaviour: a path
// holds at most 259 characters, a model name at most 255.
#ifndef FOLVANE_SETUP_BUFFERS_H
#define FOLVANE_SETUP_BUFFERS_H

#include "platform/platform.h"

typedef char PathBuffer[MAX_PATH];
typedef char NickNameBuffer[256];

#endif
