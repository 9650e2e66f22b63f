#include <gtest/gtest.h>

#include <unistd.h>

#include "foundation/files/FileSystem.h"
#include "foundation/files/Path.h"
#include "foundation/files/PathException.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;

TEST(Path, ConstructionStripsTrailingSeparatorsButKeepsALoneOne) {
    EXPECT_EQ(Path("/dir//").str(), "/dir");
    EXPECT_EQ(Path("/").str(), "/");
    EXPECT_EQ(Path("//").str(), "/");
    EXPECT_EQ(Path("").str(), "");
    EXPECT_EQ(Path(static_cast<const char*>(nullptr)).str(), "");
    EXPECT_EQ(Path::stripTrailingSeparators("a///"), "a");
}

TEST(Path, JoinTable) {
    struct Case {
        const char* left;
        const char* right;
        const char* joined;
    };
    const Case cases[] = {
        {"a", "x", "a/x"},       {"/", "x", "/x"},         {"a", "", "a"},  {"", "x", "x"},
        {"a", "/abs", "/abs"},   {"a/b", "c/d", "a/b/c/d"}, {"", "", ""},    {"/r", "..", "/r/.."},
    };
    for (const Case& c : cases)
        EXPECT_EQ((Path(c.left) / Path(c.right)).str(), c.joined) << c.left << " + " << c.right;
    Path appended("a");
    appended /= Path("b");
    appended /= Path("c");
    EXPECT_EQ(appended.str(), "a/b/c");
}

TEST(Path, AbsoluteTest) {
    EXPECT_FALSE(Path("").isAbsolute());
    EXPECT_FALSE(Path("a/b").isAbsolute());
    EXPECT_TRUE(Path("/a").isAbsolute());
}

TEST(Path, ComponentsSkipEmptyRuns) {
    std::vector<std::string> seen;
    for (Path::ComponentIterator i = Path::ComponentIterator("//a///bc/"); i.valid(); i.next())
        seen.push_back(i.current());
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "bc"}));
    EXPECT_FALSE(Path("/").components().valid());
}

TEST(Path, UpwardRepeatsParentComponents) {
    EXPECT_EQ(Path::upward(0).str(), "");
    EXPECT_EQ(Path::upward(1).str(), "..");
    EXPECT_EQ(Path::upward(3).str(), "../../..");
}

TEST(Path, RelativeToTable) {
    struct Case {
        const char* path;
        const char* base;
        const char* relative;
    };
    const Case cases[] = {
        {"/d/pkg/img/a.png", "/d/pkg", "img/a.png"},
        {"/d/x", "/d/pkg", "../x"},
        {"/d/pkg", "/d/pkg", ""},
        {"/D/pkg", "/d/pkg", "../../D/pkg"},
        {"rel/a", "rel", "a"},
        {"/abs/a", "", "/abs/a"},
        {"/abs/a", "rel", "/abs/a"},
        {"a", "b/c", "../../a"},
        {"/", "/", ""},
        {"/a//b/", "/a", "b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Path::relativeTo(Path(c.path), Path(c.base)).str(), c.relative) << c.path << " from " << c.base;
    Path inPlace("/d/pkg/a");
    inPlace.relativeTo(Path("/d"));
    EXPECT_EQ(inPlace.str(), "pkg/a");
}

TEST(Path, DirectoryAndFileNameKeepTheRoot) {
    KestruneTest::TempFolder folder;
    EXPECT_EQ(Path::directory(Path("/games/x.sav")).str(), "/games");
    EXPECT_EQ(Path::directory(Path("/x.sav")).str(), "/");
    EXPECT_EQ(Path::directory(Path("x.sav")).str(), "");
    EXPECT_EQ(Path::directory(Path("a/b/x.sav")).str(), "a/b");
    EXPECT_EQ(Path::directory(Path("")).str(), "");
    // An existing folder is its own directory.
    EXPECT_EQ(Path::directory(Path(folder.path())).str(), folder.path());
    EXPECT_EQ(Path::directory(Path(folder.file("missing/f"))).str(), folder.file("missing"));

    EXPECT_EQ(Path::fileName(Path("/games/x.sav")), "x.sav");
    EXPECT_EQ(Path::fileName(Path(folder.path())), "");
    EXPECT_EQ(Path::fileName(Path("")), "");
}

TEST(Path, AbsoluteMatchesThePythonNormalisation) {
    const std::vector<std::string> inputs = {"a", "a/./b", "a/../../b", "./x/", "..", "a//b"};
    std::string program = "import os\n";
    for (const std::string& input : inputs)
        program += "print(os.path.normpath(os.path.join(os.getcwd(), '" + input + "')))\n";
    const KestruneTest::Command::Result oracle = KestruneTest::Command::python(program);
    ASSERT_EQ(oracle.exitCode, 0);
    std::string expected;
    for (const std::string& input : inputs)
        expected += Path::absolute(Path(input)).str() + "\n";
    EXPECT_EQ(expected, oracle.output);
    EXPECT_EQ(Path::absolute(Path("/already/../there")).str(), "/already/../there");
}

TEST(Path, AbsoluteOfTheEmptyPathThrows) {
    try {
        Path::absolute(Path(""));
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.message(), "Unable to make absolute. ()");
    }
}

TEST(Path, URIPathConversions) {
    EXPECT_EQ(Path::fromURIPath(URI::Hierarchical::Path(false, {"a", "b"})).str(), "a/b");
    EXPECT_EQ(Path::fromURIPath(URI::Hierarchical::Path(true, {})).str(), "/");
    EXPECT_EQ(Path::fromURIPath(URI::Hierarchical::Path(true, {"games", "", "save"})).str(), "/games/save");
    EXPECT_EQ(Path(URI::Hierarchical::Path(false, {"%20"})).str(), "%20");

    const URI::Hierarchical::Path uri = Path::toURIPath(Path("/a//b/"));
    EXPECT_TRUE(uri.absolute);
    EXPECT_EQ(uri.segments, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(Path::toURIPath(Path("")).absolute);

    for (const char* text : {"/", "a", "a/b/c", "/x/y", "../q"}) {
        EXPECT_EQ(Path::fromURIPath(Path::toURIPath(Path(text))).str(), text);
        EXPECT_EQ(Path::toURIPath(Path(text)).toString(), text);
    }
}
