#include "TCliGame.h"

#include "TCliArguments.h"
#include "TCliError.h"
#include "TLottery.h"

#include <algorithm>
#include <filesystem>
#include <new>

std::unique_ptr<TLottery> TCliGame::Load(const std::string& fileName) {
    std::error_code code;
    if (!std::filesystem::exists(fileName, code)) throw TCliError::Failure("arquivo não encontrado: " + fileName);
    try {
        auto lottery = std::make_unique<TLottery>(fileName);
        if (!lottery->Loaded) throw TCliError::Failure("arquivo não encontrado: " + fileName);
        return lottery;
    } catch (const TLoadError& e) {
        throw TCliError::Failure(e.what());
    } catch (const std::bad_alloc&) {
        throw TCliError::Failure("memória insuficiente para ler " + fileName);
    }
}

std::unique_ptr<TLottery> TCliGame::LoadWithDraws(const std::string& fileName) {
    auto lottery = Load(fileName);
    if (lottery->PerCombination() < 1 || lottery->DrawCount < 1)
        throw TCliError::Failure("jogo sem concursos: " + fileName);
    return lottery;
}

int TCliGame::SampleSize(const TCliArguments& arguments, const TLottery& lottery, int fallback) {
    const auto asked = arguments.OptionalInt("--sample", 1, 1'000'000'000).value_or(fallback);
    const int draws = lottery.DrawCount;
    return static_cast<int>(std::clamp<int64_t>(asked, std::min(10, draws), draws));
}

const char* TCliGame::SampleHelp() {
    return "amostra: os últimos S concursos (de 10 ao número de concursos)";
}
