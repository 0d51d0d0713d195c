// The game definition file: keys, names without case, the integer columns,
// and the names derived from the data file's name.
#include "TGameDefinition.h"

#include "TempFiles.h"

#include <gtest/gtest.h>

TEST(TGameDefinition, ReadsEveryKeyOfBothSections) {
    TGameDefinition d;
    std::string error;
    ASSERT_TRUE(
        d.LoadText("[Server]\r\nurl=http://www1.caixa.gov.br/loterias/D_megase.zip\r\ntype=ZIP/HTML\r\n"
                   "Host=www1.caixa.gov.br\r\nUser=anonymous\r\nPassword=a,b;c\r\nFileSource=/x\r\n"
                   "\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n"
                   "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n",
                   error))
        << error;
    EXPECT_EQ(d.Url, "http://www1.caixa.gov.br/loterias/D_megase.zip");
    EXPECT_EQ(d.Type + "|" + d.Host + "|" + d.User + "|" + d.Password + "|" + d.FileSource + "|" +
                  d.SourceFile,
              "ZIP/HTML|www1.caixa.gov.br|anonymous|a,b;c|/x|d_mega.htm"); // commas make no list
    EXPECT_EQ(d.ContestColumn * 100 + d.FirstBallColumn * 10 + d.BallCount, 136);

    // Names match without case, values lose blanks and quotes, keys of the
    // other section and repeated sections do not count.
    TGameDefinition m;
    ASSERT_TRUE(m.LoadText("; comment\n[server]\n  URL = \"http://h/a b.zip\" \nTYPE=ZIP/HTML\n"
                           "[Html]\nsourcefile='d.htm'\nballscount = 15\nurl=ignored\n"
                           "[Server]\nurl=second occurrence\n",
                           error));
    EXPECT_EQ(m.Url, "http://h/a b.zip");
    EXPECT_EQ(m.Type, "ZIP/HTML");
    EXPECT_EQ(m.SourceFile, "d.htm");
    EXPECT_EQ(m.BallCount, 15);
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
    EXPECT_EQ(TGameDefinition::DefinitionFileName("/a/megasena.csv"), "/a/megasena.ini");
    EXPECT_EQ(TGameDefinition::DefinitionFileName("/a.b/megasena"), "/a.b/megasena.ini");
    EXPECT_EQ(TGameDefinition::BackupFileName("mega.sena.txt"), "mega.sena.bak");
}
