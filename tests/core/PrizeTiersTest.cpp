// The prize tiers of the game definition file: `Premios`/`Faixas` as written,
// sorted and without repeats, the default of every hit count from k down to 1,
// and the refusal of a list that is not hit counts of the game.
#include "TGameDefinition.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

using Tiers = std::vector<int32_t>;

TEST(PrizeTiers, ReadFromTheDefinitionFile) {
    std::string error;
    EXPECT_EQ(TGameDefinition::PrizeTiersFromText("[Server]\nurl=x\n[Premios]\nFaixas=6,5,4\n", 6, error),
              (Tiers{6, 5, 4}));
    EXPECT_EQ(error, "");
    // Lotomania pays 0 hits too; order and blanks as a user may write them.
    EXPECT_EQ(TGameDefinition::PrizeTiersFromText("[premios]\nfaixas = 0, 15,20 ,19,18,17,16\n", 20, error),
              (Tiers{20, 19, 18, 17, 16, 15, 0}));
    EXPECT_EQ(TGameDefinition::PrizeTiersFromText("[Premios]\nFaixas=5,5,4\n", 5, error), (Tiers{5, 4}));
    EXPECT_EQ(error, "");
}

TEST(PrizeTiers, WithoutTheKeyEveryHitCountFromKDownToOne) {
    std::string error;
    EXPECT_EQ(TGameDefinition::PrizeTiersFromText("[Server]\nurl=x\n", 4, error), (Tiers{4, 3, 2, 1}));
    EXPECT_EQ(TGameDefinition::PrizeTiersFromText("[Premios]\nFaixas=\n", 3, error), (Tiers{3, 2, 1}));
    EXPECT_EQ(error, "");
    TempFolder folder;
    EXPECT_EQ(TGameDefinition::ReadPrizeTiers((folder.Path() / "none.ini").string(), 2, error),
              (Tiers{2, 1}));
    EXPECT_EQ(error, "");
    const std::string ini = folder.Write("quina.ini", "[Premios]\r\nFaixas=5,4,3,2\r\n");
    EXPECT_EQ(TGameDefinition::ReadPrizeTiers(ini, 5, error), (Tiers{5, 4, 3, 2}));
}

TEST(PrizeTiers, ABadListFallsBackToTheDefaultWithAMessage) {
    for (const char* value : {"6,x,4", "7,6", "6,-1", "6;5;4"}) {
        std::string error;
        EXPECT_EQ(
            TGameDefinition::PrizeTiersFromText(std::string("[Premios]\nFaixas=") + value + "\n", 6, error),
            (Tiers{6, 5, 4, 3, 2, 1}))
            << value;
        EXPECT_EQ(error, std::string("Faixas de prêmios inválidas no arquivo INI: ") + value);
    }
}
