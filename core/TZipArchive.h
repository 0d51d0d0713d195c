#pragma once
// A ZIP archive opened for reading, whose members are read whole into memory
// (libzip, opened when first used). Used for the results spreadsheet (an
// XLSX workbook is a ZIP archive of XML parts) and to tell an imported
// archive's kind by its members.
//
// Ownership: the archive is open as long as the object lives.
#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TZipArchive {
public:
    // Opens the archive; on failure Ok() is false and Error() tells why.
    explicit TZipArchive(const std::string& fileName);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    bool Ok() const { return archive_ != nullptr; }
    const std::string& Error() const { return error_; }

    // Every member's name, in the archive's order.
    std::vector<std::string> Names() const;
    bool Contains(const std::string& name) const;
    // The member `name` (exact, or else without regard to case), at most
    // maxBytes once inflated. False with Error() set when it cannot be read.
    bool Read(const std::string& name, QByteArray& bytes, int64_t maxBytes = int64_t{256} << 20);

private:
    struct TArchive;
    std::unique_ptr<TArchive> archive_;
    std::string error_;
};
