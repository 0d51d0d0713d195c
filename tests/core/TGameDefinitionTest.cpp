// The game definition file: names without case, values without blanks and
// quotes, the integer columns, and a file read from disk.
#include "TGameDefinition.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

TEST(TGameDefinition, ReadsKeysWithoutCaseAndValuesWithoutBlanksOrQuotes) {
    TGameDefinition d;
    std::string error;
    // Keys of the other section and repeated sections do not count.
    ASSERT_TRUE(
        d.LoadText("; comment\n[server]\n  URL = \"http://h/a b.zip\" \nTYPE=ZIP/HTML\nPassword=a,b;c\n"
                   "[Html]\nsourcefile='d.htm'\nballscount = 15\nLoteryNumberColumn=1\nBallsStartColumn=3\n"
                   "url=ignored\n[Server]\nurl=second occurrence\n",
                   error))
        << error;
    EXPECT_EQ(d.Url, "http://h/a b.zip");
    EXPECT_EQ(d.Type, "ZIP/HTML");
    EXPECT_EQ(d.Password, "a,b;c"); // raw: commas make no list
    EXPECT_EQ(d.SourceFile, "d.htm");
    EXPECT_EQ(d.ContestColumn * 100 + d.FirstBallColumn * 10 + d.BallCount, 145);
}

TEST(TGameDefinition, ColumnKeysMustBeDecimalIntegers) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"BallsCount", "six"},
                                     {"LoteryNumberColumn", "1.0"},
                                     {"BallsStartColumn", "0x3"}}) {
        TGameDefinition d;
        std::string error;
        EXPECT_FALSE(d.LoadText("[Server]\nurl=u\n[HTML]\n" + key + "=" + value + "\n", error));
        EXPECT_EQ(error, "'" + value + "' is not a valid integer value");
    }
}

TEST(TGameDefinition, ReadsAFileAndAMissingFileGivesDefaults) {
    TempFolder folder;
    const std::string name = folder.Write("g.ini", "\xEF\xBB\xBF[Server]\r\nurl=x\r");
    TGameDefinition d;
    std::string error;
    EXPECT_TRUE(d.Load(name, error));
    EXPECT_EQ(d.Url, "x");
    EXPECT_TRUE(d.Load(name + ".missing", error));
    EXPECT_EQ(d.Url, "");
    EXPECT_EQ(TGameDefinition::DefinitionFileName("/a.b/megasena"), "/a.b/megasena.ini");
    EXPECT_EQ(TGameDefinition::BackupFileName("mega.sena.txt"), "mega.sena.bak");
}
