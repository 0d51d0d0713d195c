// The game definition file: keys, defaults, the keys without effect, the
// integer columns, and the names derived from the data file's name.
#include "TGameDefinition.h"
#include "TIniFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

TEST(TGameDefinition, ReadsEveryKeyOfBothSections) {
    TGameDefinition d;
    std::string error;
    ASSERT_TRUE(d.LoadText("[Server]\r\n"
                           "url=http://www1.caixa.gov.br/loterias/_arquivos/loterias/D_megase.zip\r\n"
                           "type=ZIP/HTML\r\n"
                           "Host=www1.caixa.gov.br\r\nUser=anonymous\r\nPassword=a,b;c\r\nFileSource=/x\r\n"
                           "\r\n[HTML]\r\nSourceFile=d_mega.htm\r\n"
                           "LoteryNumberColumn=1\r\nBallsStartColumn=3\r\nBallsCount=6\r\n",
                           error))
        << error;
    EXPECT_EQ(d.Url, "http://www1.caixa.gov.br/loterias/_arquivos/loterias/D_megase.zip");
    EXPECT_EQ(d.Type, "ZIP/HTML");
    EXPECT_EQ(d.Host, "www1.caixa.gov.br");
    EXPECT_EQ(d.User, "anonymous");
    EXPECT_EQ(d.Password, "a,b;c"); // raw: commas make no list
    EXPECT_EQ(d.FileSource, "/x");
    EXPECT_EQ(d.SourceFile, "d_mega.htm");
    EXPECT_EQ(d.ContestColumn, 1);
    EXPECT_EQ(d.FirstBallColumn, 3);
    EXPECT_EQ(d.BallCount, 6);
}

TEST(TGameDefinition, MissingKeysTakeTheirDefaults) {
    TGameDefinition d;
    std::string error;
    ASSERT_TRUE(d.LoadText("[Server]\nurl=ftp://h/f.zip\n", error));
    EXPECT_EQ(d.Type, "");
    EXPECT_EQ(d.SourceFile, "");
    EXPECT_EQ(d.ContestColumn, 0);
    EXPECT_EQ(d.FirstBallColumn, 0);
    EXPECT_EQ(d.BallCount, 0);
}

TEST(TGameDefinition, NamesMatchWithoutCaseAndValuesLoseBlanksAndQuotes) {
    TGameDefinition d;
    std::string error;
    ASSERT_TRUE(d.LoadText("; comment\n[server]\n  URL = \"http://h/a b.zip\" \nTYPE=ZIP/HTML\n"
                           "[Html]\nsourcefile='d.htm'\nballscount = 15\nurl=ignored\n"
                           "[Server]\nurl=second occurrence\n",
                           error));
    EXPECT_EQ(d.Url, "http://h/a b.zip");
    EXPECT_EQ(d.Type, "ZIP/HTML");
    EXPECT_EQ(d.SourceFile, "d.htm");
    EXPECT_EQ(d.BallCount, 15);
}

TEST(TGameDefinition, ColumnKeysMustBeDecimalIntegers) {
    for (const auto& [text, shown] :
         {std::pair{"BallsCount=six", "six"}, std::pair{"LoteryNumberColumn=1.0", "1.0"},
          std::pair{"BallsStartColumn=0x3", "0x3"}}) {
        TGameDefinition d;
        std::string error;
        EXPECT_FALSE(d.LoadText(std::string("[Server]\nurl=u\n[HTML]\n") + text + "\n", error)) << text;
        EXPECT_EQ(error, std::string("'") + shown + "' is not a valid integer value");
        EXPECT_EQ(d.Url, "u");
    }
}

TEST(TGameDefinition, ReadsAFileAndMissingFileGivesDefaults) {
    QTemporaryDir folder;
    const std::string name = folder.path().toStdString() + "/g.ini";
    std::ofstream(name, std::ios::binary) << "\xEF\xBB\xBF[Server]\r\nurl=x\r";
    TGameDefinition d;
    std::string error;
    EXPECT_TRUE(d.Load(name, error));
    EXPECT_EQ(d.Url, "x");
    EXPECT_FALSE(TIniFile(name + ".missing").Loaded);
    EXPECT_TRUE(d.Load(name + ".missing", error));
    EXPECT_EQ(d.Url, "");
}

TEST(TGameDefinition, DerivedFileNamesReplaceTheExtension) {
    EXPECT_EQ(TGameDefinition::DefinitionFileName("/a/megasena.csv"), "/a/megasena.ini");
    EXPECT_EQ(TGameDefinition::BackupFileName("/a/megasena.csv"), "/a/megasena.bak");
    EXPECT_EQ(TGameDefinition::DefinitionFileName("/a.b/megasena"), "/a.b/megasena.ini");
    EXPECT_EQ(TGameDefinition::BackupFileName("mega.sena.txt"), "mega.sena.bak");
}
