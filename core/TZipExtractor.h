#pragma once
// Extracts one member of a ZIP archive into a folder, as a file of the same
// name. The member name comes from a game definition file that anyone may
// have written, so only a plain file name is accepted: no folder part, no
// "..", nothing that could land outside the folder.
#include <cstdint>
#include <string>
#include <string_view>

class TZipExtractor {
public:
    // Largest member written; a bigger one (as declared or as inflated) is
    // refused, so a forged archive cannot fill the disk.
    int64_t MaxBytes = int64_t{1} << 30;

    struct TResult {
        bool Ok = false;
        std::string Path;  // the extracted file (also set on failure)
        std::string Error; // the user's message on failure
    };

    // A non-empty name without '/', '\\' or "..".
    static bool IsPlainFileName(std::string_view name);

    // Writes `member` of `archive` to folder/member. The member is looked up
    // by its exact name first, then without regard to case. On failure no
    // file is left at folder/member and Error is "Cannot open file "<path>".
    // <reason>", the path being the file the caller would have read.
    TResult Extract(const std::string& archive, const std::string& member, const std::string& folder) const;
};
