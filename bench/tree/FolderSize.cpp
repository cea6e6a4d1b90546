// Prints the size of the files below a folder as the tree's size command counts it.
#include "platform/FolderSizeCounter.h"

#include <QString>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_folder_size FOLDER\n", stderr);
        return 2;
    }
    platform::FolderSizeCounter counter;
    const platform::FolderSizeResult result = counter.count(QString::fromLocal8Bit(argv[1]));
    std::printf("%llu\t%s\n", static_cast<unsigned long long>(result.bytes), argv[1]);
    return result.bytes == 0 ? 1 : 0;
}
