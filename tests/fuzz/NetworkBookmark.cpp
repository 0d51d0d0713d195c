// The network bookmark file (".net"): any bytes either load as a network whose
// text form reads back the same, or are refused with a message and leave the
// network as it was.
#include "FuzzSupport.h"
#include "TLexicographicAnalysis.h"
#include "TNNMLP.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string path =
        FuzzSupport::WriteFile("bookmark.net", std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    std::string error;
    if (!TLexicographicAnalysis::ReadLines(path, lines, error)) {
        Check(!error.empty(), "a refusal carries a message");
        return 0;
    }

    TNNMLP network(5, 8, 1);
    network.Seed(1);
    network.InitWeights();
    const std::vector<std::string> before = network.SaveToStrings();
    const TNNMLP::LoadResult loaded = network.LoadFromStrings(lines);
    if (!loaded) {
        Check(!loaded.Error.empty(), "a refusal carries a message");
        Check(network.SaveToStrings() == before, "a refused text leaves the network as it was");
        return 0;
    }
    Check(network.PatternCount == 1 && !network.Converged, "a load leaves one pattern, not converged");
    const std::vector<std::string> saved = network.SaveToStrings();
    TNNMLP again(1, 1, 1);
    Check(static_cast<bool>(again.LoadFromStrings(saved)), "the saved text loads");
    Check(again.SaveToStrings() == saved, "the text form reads back the same");

    // A loaded network is used: a forecast and one short training pass.
    if (static_cast<int64_t>(network.Inputs) * network.Hidden * network.Outputs <= 4096) {
        for (int i = 0; i < network.Inputs; ++i) network.Input[static_cast<size_t>(i)] = i + 1;
        network.Compute();
        network.Epochs = 2;
        network.SetPatternCount(3);
        for (int p = 0; p < 3; ++p) {
            for (int i = 0; i < network.Inputs; ++i)
                network.PatternIn[static_cast<size_t>(p)][static_cast<size_t>(i)] = p * 10 + i;
            for (int o = 0; o < network.Outputs; ++o)
                network.PatternOut[static_cast<size_t>(p)][static_cast<size_t>(o)] = p + o;
        }
        network.Train();
        network.SelectPattern(1);
        network.Compute();
    }

    return 0;
}
