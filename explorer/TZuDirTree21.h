#pragma once
// The folder tree lives in explorer/DirTree.h.

#include "explorer/DirTree.h"
