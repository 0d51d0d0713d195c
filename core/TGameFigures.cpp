#include "TGameFigures.h"

#include "NumberText.h"
#include "TLottery.h"

TGameFigures::TGameFigures(const TLottery& lottery)
    : Elements(NumberText::FormatInt(lottery.Elements())),
      PerCombination(NumberText::FormatInt(lottery.PerCombination())), Superball(lottery.Superball),
      DrawCount(NumberText::FormatInt(lottery.DrawCount)) {
    const double total = lottery.Converter ? lottery.Converter->Total : 0;
    if (Superball) {
        SuperballBalls = NumberText::FormatInt(lottery.SuperballBalls);
        Total = NumberText::FormatGeneral(lottery.SuperballTotal);
        Birthday = NumberText::FormatGeneral(lottery.SuperballBirthday);
    } else {
        Total = NumberText::FormatGeneral(total);
        Birthday = NumberText::FormatGeneral(lottery.Birthday);
    }
}

std::string TGameFigures::ToText() const {
    std::string text;
    text += "Elementos combinados: " + Elements + "\n";
    text += "Elementos por combinação: " + PerCombination + "\n";
    text += "Total de combinações: " + Total + "\n";
    text += "Paradoxo do aniversário: " + Birthday + "\n";
    if (Superball) text += "Superball: " + SuperballBalls + "\n";
    text += "Concursos: " + DrawCount + "\n";
    return text;
}
