#include "tools/kestrune-archive/ArchiveTool.h"

int main(int argc, char** argv) {
    ArchiveTool tool;
    return tool.run(argc, argv);
}
