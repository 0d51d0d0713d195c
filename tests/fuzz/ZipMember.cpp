// The ZIP archive of the published results: any bytes as the archive either
// give the member named in the game definition file, no larger than the
// limit, or a message and no file where the page would be read.
#include "FuzzSupport.h"
#include "TZipExtractor.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const std::string archive =
        FuzzSupport::WriteFile("archive.zip", std::string_view(reinterpret_cast<const char*>(data), size));
    const std::filesystem::path out = FuzzSupport::Folder() / "out";
    std::error_code error;
    std::filesystem::create_directories(out, error);

    TZipExtractor extractor;
    extractor.MaxBytes = 1 << 20;
    // The member by its exact name, and by another case of it.
    for (const char* member : {"d_megasc.htm", "D_MEGASC.HTM"}) {
        const TZipExtractor::TResult result = extractor.Extract(archive, member, out.string());
        Check(result.Path == (out / member).string(), "the member lands in the folder");
        if (result.Ok) {
            const auto bytes = std::filesystem::file_size(result.Path, error);
            Check(!error && bytes <= static_cast<uintmax_t>(extractor.MaxBytes), "the member is within the limit");
        } else {
            Check(!result.Error.empty(), "a failure carries a message");
            Check(!std::filesystem::exists(result.Path, error), "a failure leaves no file");
        }
        std::filesystem::remove(result.Path, error);
    }
    return 0;
}
