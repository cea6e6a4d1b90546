#include "explorer/shared/PlatformVersion.h"

bool isNTAbove50(bool ntFamily, int majorVersion, int minorVersion)
{
    return ntFamily && majorVersion > 4 && minorVersion > 0;
}

bool IsNTAbove50()
{
    return isNTAbove50(false, 0, 0);
}
