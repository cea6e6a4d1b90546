#pragma once
// Runs tests of this test program again in a child process whose offscreen screen has
// the given logical resolution, its fonts growing with it as QT_FONT_DPI gives on a
// desktop (scaled by a device pixel ratio instead, as by QT_SCALE_FACTOR, the layout
// would be the one of 96 dpi). The child finds the resolution in TEST_FONT_DPI.

#include <QString>

// Empty when the tests the filter names passed; otherwise what the child wrote.
QString runAtResolution(int dpi, const QString &gtestFilter);

// In the child: the resolution asked for (0 when run directly), after checking that
// the fonts follow it; false when they do not.
bool fontsFollowTheAskedResolution(int &dpi);
