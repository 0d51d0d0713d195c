#include "TZipArchive.h"

#include "TLibraryNames.h"
#include "TSharedLibrary.h"

#include <zip.h>

namespace {

// The functions of libzip this file calls, from the library opened on the
// first use.
struct TZip {
    decltype(&zip_open) Open = nullptr;
    decltype(&zip_discard) Discard = nullptr;
    decltype(&zip_fclose) Fclose = nullptr;
    decltype(&zip_error_init_with_code) ErrorInitWithCode = nullptr;
    decltype(&zip_error_strerror) ErrorStrerror = nullptr;
    decltype(&zip_error_fini) ErrorFini = nullptr;
    decltype(&zip_name_locate) NameLocate = nullptr;
    decltype(&zip_get_num_entries) NumEntries = nullptr;
    decltype(&zip_get_name) GetName = nullptr;
    decltype(&zip_fopen_index) FopenIndex = nullptr;
    decltype(&zip_strerror) Strerror = nullptr;
    decltype(&zip_fread) Fread = nullptr;
    decltype(&zip_file_strerror) FileStrerror = nullptr;
    std::string Error;
};

const TZip& Zip() {
    static const TZip zip = [] {
        static TSharedLibrary library(ZipLibrary);
        TZip z;
        z.Open = library.Function<decltype(z.Open)>("zip_open");
        z.Discard = library.Function<decltype(z.Discard)>("zip_discard");
        z.Fclose = library.Function<decltype(z.Fclose)>("zip_fclose");
        z.ErrorInitWithCode = library.Function<decltype(z.ErrorInitWithCode)>("zip_error_init_with_code");
        z.ErrorStrerror = library.Function<decltype(z.ErrorStrerror)>("zip_error_strerror");
        z.ErrorFini = library.Function<decltype(z.ErrorFini)>("zip_error_fini");
        z.NameLocate = library.Function<decltype(z.NameLocate)>("zip_name_locate");
        z.NumEntries = library.Function<decltype(z.NumEntries)>("zip_get_num_entries");
        z.GetName = library.Function<decltype(z.GetName)>("zip_get_name");
        z.FopenIndex = library.Function<decltype(z.FopenIndex)>("zip_fopen_index");
        z.Strerror = library.Function<decltype(z.Strerror)>("zip_strerror");
        z.Fread = library.Function<decltype(z.Fread)>("zip_fread");
        z.FileStrerror = library.Function<decltype(z.FileStrerror)>("zip_file_strerror");
        if (!z.Open || !z.Discard || !z.Fclose || !z.ErrorInitWithCode || !z.ErrorStrerror || !z.ErrorFini ||
            !z.NameLocate || !z.NumEntries || !z.GetName || !z.FopenIndex || !z.Strerror || !z.Fread ||
            !z.FileStrerror)
            z.Error = library.Error();
        return z;
    }();
    return zip;
}

struct MemberCloser {
    void operator()(zip_file_t* f) const { Zip().Fclose(f); }
};

} // namespace

struct TZipArchive::TArchive {
    zip_t* zip = nullptr;
    ~TArchive() {
        if (zip) Zip().Discard(zip);
    }
};

TZipArchive::TZipArchive(const std::string& fileName) {
    if (!Zip().Error.empty()) {
        error_ = "libzip: " + Zip().Error;
        return;
    }
    int code = 0;
    // No consistency check: the publisher's workbooks carry entries that
    // libzip's strict check refuses, though every member reads fine.
    zip_t* zip = Zip().Open(fileName.c_str(), ZIP_RDONLY, &code);
    if (!zip) {
        zip_error_t error;
        Zip().ErrorInitWithCode(&error, code);
        error_ = Zip().ErrorStrerror(&error);
        Zip().ErrorFini(&error);
        return;
    }
    archive_ = std::make_unique<TArchive>();
    archive_->zip = zip;
}

TZipArchive::~TZipArchive() = default;

std::vector<std::string> TZipArchive::Names() const {
    std::vector<std::string> names;
    if (!archive_) return names;
    const zip_int64_t count = Zip().NumEntries(archive_->zip, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = Zip().GetName(archive_->zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS))
            names.emplace_back(name);
    return names;
}

bool TZipArchive::Contains(const std::string& name) const {
    return archive_ && Zip().NameLocate(archive_->zip, name.c_str(), ZIP_FL_ENC_GUESS) >= 0;
}

bool TZipArchive::Read(const std::string& name, QByteArray& bytes, int64_t maxBytes) {
    bytes.clear();
    if (!archive_) return false;
    zip_int64_t index = Zip().NameLocate(archive_->zip, name.c_str(), ZIP_FL_ENC_GUESS);
    if (index < 0) index = Zip().NameLocate(archive_->zip, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        error_ = "\"" + name + "\" não está no arquivo.";
        return false;
    }
    std::unique_ptr<zip_file_t, MemberCloser> in(
        Zip().FopenIndex(archive_->zip, static_cast<zip_uint64_t>(index), 0));
    if (!in) {
        error_ = Zip().Strerror(archive_->zip);
        return false;
    }
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = Zip().Fread(in.get(), buffer, sizeof buffer);
        if (n < 0) {
            error_ = Zip().FileStrerror(in.get());
            bytes.clear();
            return false;
        }
        if (n == 0) return true;
        if (bytes.size() + n > maxBytes) {
            error_ = "\"" + name + "\" é grande demais.";
            bytes.clear();
            return false;
        }
        bytes.append(buffer, static_cast<qsizetype>(n));
    }
}
