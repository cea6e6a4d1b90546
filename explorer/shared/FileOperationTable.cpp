#include "explorer/shared/FileOperationTable.h"

int PasteOperation = opCopy;
int DragOperation = opMove;
