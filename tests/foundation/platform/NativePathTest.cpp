// The folder of a file's path, as the durable moves and the kept copies of
// saved games sync it: taken from the text alone, never from the disk.
#include <gtest/gtest.h>

#include "foundation/platform/NativePath.h"

using TAVO::NativePath;

TEST(NativePathFolder, AFileIsSyncedInTheFolderItsPathNames) {
    EXPECT_EQ(NativePath::folderOf("puzzles.dat"), ".");
    EXPECT_EQ(NativePath::folderOf("/puzzles.dat"), "/");
    EXPECT_EQ(NativePath::folderOf("/home/player/puzzles.dat"), "/home/player");
    EXPECT_EQ(NativePath::folderOf("play/puzzles.dat.damaged.3"), "play");
    EXPECT_EQ(NativePath::folderOf("../play/puzzles.dat"), "../play");
    // A folder that does not exist is named all the same.
    EXPECT_EQ(NativePath::folderOf("no/such/folder/file"), "no/such/folder");
}
