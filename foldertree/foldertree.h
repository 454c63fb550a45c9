// foldertree.dll: the exports, messages and notifications of the control, as
// the module itself and its tests see them: the public header's
// declarations, so what a host compiles against is what the module defines.
#pragma once
#include "../include/foldertree.h"
