#pragma once

namespace tilecut {

// tilecut was first a Windows framework console application, whose framework was started with
// the process command line before anything else ran. No build here links that framework; this
// stand-in keeps that first step: it takes the command line and fails when there is none.
bool startApplicationFramework(int argc, char** argv);

}  // namespace tilecut
