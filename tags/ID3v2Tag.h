#pragma once
// The ID3v2 unit: the record of one tag, reading it, writing it and putting it in place.

#include "tags/ID3v2TagInfo.h"
#include "tags/ID3v2TagPlacement.h"
#include "tags/ID3v2TagReader.h"
#include "tags/ID3v2TagWriter.h"
