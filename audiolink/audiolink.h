/*
 * audiolink.dll: the exports of the audio bridge, as the module itself and
 * its tests see them. The declarations are the public header's, so what a
 * host compiles against is what the module defines; inside the module the
 * download procedure is declared by its own name, and the audio library's
 * declarations come along.
 */
#ifndef AUDIOLINK_EXPORTS_H
#define AUDIOLINK_EXPORTS_H

#define AUDIOLINK_DECLARE_DOWNLOADPROC
#include "../include/audiolink.h"

#include "bass.h"

#endif
