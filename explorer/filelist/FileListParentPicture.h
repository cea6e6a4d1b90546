#pragma once
// The parent-folder picture in the process-wide image list. Its index is kept in the
// hive ("Software\Vorlik\ZuFileExplorer", "ParentImgIdx") so that lists created later
// find the picture there instead of adding it again.

// Index of the parent picture, adding it to the image list when it is not at the
// index the hive names.
int parentPictureIndex();
