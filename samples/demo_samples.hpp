#pragma once

// The demo's samples, made to look like the assets users have, so that the reports and pictures
// show the tools at work: a biped skeleton of named bones, a skin of a few thousand vertices in
// the shape of a figure, three seconds of a walk, a model of several collision chunks, and a
// landscape picture, uncompressed and as a painting program saves it.

#include "sample_bytes.hpp"

namespace samples {

Bytes demoSkeleton();
Bytes demoSkin();
Bytes demoAnimation();
Bytes demoModel();
Bytes demoImage();           // 24 bits a pixel, uncompressed, bottom-left: what tilecut cuts
Bytes demoImageRunLength();  // 32 bits, run-length coded, top-left: what tilecut -a cuts

}  // namespace samples
