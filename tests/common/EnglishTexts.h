#pragma once
// The English words of the file operations, read from the source tree's English
// table, for tests of the platform layer that run without the explorer.

#include "platform/FileOperation.h"

platform::FileOperationTexts englishFileOperationTexts();
