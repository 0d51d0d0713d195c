#include "TZipExtractor.h"

#include "TLibraryNames.h"
#include "TSharedLibrary.h"

#include <zip.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The functions of libzip this file calls, from the library opened on the
// first extraction.
struct TZip {
    decltype(&zip_open) Open = nullptr;
    decltype(&zip_discard) Discard = nullptr;
    decltype(&zip_fclose) Fclose = nullptr;
    decltype(&zip_error_init_with_code) ErrorInitWithCode = nullptr;
    decltype(&zip_error_strerror) ErrorStrerror = nullptr;
    decltype(&zip_error_fini) ErrorFini = nullptr;
    decltype(&zip_name_locate) NameLocate = nullptr;
    decltype(&zip_stat_init) StatInit = nullptr;
    decltype(&zip_stat_index) StatIndex = nullptr;
    decltype(&zip_fopen_index) FopenIndex = nullptr;
    decltype(&zip_strerror) Strerror = nullptr;
    decltype(&zip_fread) Fread = nullptr;
    decltype(&zip_file_strerror) FileStrerror = nullptr;
    std::string Error; // why libzip cannot be used; empty when it can
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
        z.StatInit = library.Function<decltype(z.StatInit)>("zip_stat_init");
        z.StatIndex = library.Function<decltype(z.StatIndex)>("zip_stat_index");
        z.FopenIndex = library.Function<decltype(z.FopenIndex)>("zip_fopen_index");
        z.Strerror = library.Function<decltype(z.Strerror)>("zip_strerror");
        z.Fread = library.Function<decltype(z.Fread)>("zip_fread");
        z.FileStrerror = library.Function<decltype(z.FileStrerror)>("zip_file_strerror");
        if (!z.Open || !z.Discard || !z.Fclose || !z.ErrorInitWithCode || !z.ErrorStrerror || !z.ErrorFini ||
            !z.NameLocate || !z.StatInit || !z.StatIndex || !z.FopenIndex || !z.Strerror || !z.Fread ||
            !z.FileStrerror)
            z.Error = library.Error();
        return z;
    }();
    return zip;
}

struct ArchiveCloser {
    void operator()(zip_t* z) const { Zip().Discard(z); }
};
struct MemberCloser {
    void operator()(zip_file_t* f) const { Zip().Fclose(f); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string OpenError(const std::string& path, const std::string& reason) {
    return "Cannot open file \"" + path + "\". " + reason;
}

std::string ArchiveOpenReason(int code) {
    zip_error_t error;
    Zip().ErrorInitWithCode(&error, code);
    std::string text = Zip().ErrorStrerror(&error);
    Zip().ErrorFini(&error);
    return text;
}

} // namespace

bool TZipExtractor::IsPlainFileName(std::string_view name) {
    return !name.empty() && name.find_first_of("/\\") == std::string_view::npos &&
           name.find("..") == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

TZipExtractor::TResult TZipExtractor::Extract(const std::string& archive, const std::string& member,
                                              const std::string& folder) const {
    TResult result;
    if (!IsPlainFileName(member)) {
        result.Error = OpenError(member, "Nome de arquivo inválido.");
        return result;
    }
    result.Path = folder + "/" + member;
    if (!Zip().Error.empty()) {
        result.Error = OpenError(archive, "libzip: " + Zip().Error);
        return result;
    }
    std::remove(result.Path.c_str());

    int code = 0;
    std::unique_ptr<zip_t, ArchiveCloser> zip(Zip().Open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip) {
        result.Error = OpenError(result.Path, ArchiveOpenReason(code));
        return result;
    }
    zip_int64_t index = Zip().NameLocate(zip.get(), member.c_str(), ZIP_FL_ENC_GUESS);
    if (index < 0) index = Zip().NameLocate(zip.get(), member.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        result.Error = OpenError(result.Path, "O arquivo não está no pacote recebido.");
        return result;
    }
    zip_stat_t stat;
    Zip().StatInit(&stat);
    if (Zip().StatIndex(zip.get(), static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) && stat.size > static_cast<zip_uint64_t>(MaxBytes)) {
        result.Error = OpenError(result.Path, "O arquivo no pacote é grande demais.");
        return result;
    }
    std::unique_ptr<zip_file_t, MemberCloser> in(
        Zip().FopenIndex(zip.get(), static_cast<zip_uint64_t>(index), 0));
    if (!in) {
        result.Error = OpenError(result.Path, Zip().Strerror(zip.get()));
        return result;
    }

    std::string failure;
    {
        std::unique_ptr<std::FILE, FileCloser> out(std::fopen(result.Path.c_str(), "wb"));
        if (!out) {
            result.Error = OpenError(result.Path, "Não foi possível criar o arquivo.");
            return result;
        }
        std::vector<char> buffer(1 << 16);
        int64_t total = 0;
        while (true) {
            const zip_int64_t n = Zip().Fread(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                failure = Zip().FileStrerror(in.get());
                break;
            }
            if (n == 0) break;
            total += n;
            if (total > MaxBytes) {
                failure = "O arquivo no pacote é grande demais.";
                break;
            }
            if (std::fwrite(buffer.data(), 1, static_cast<size_t>(n), out.get()) != static_cast<size_t>(n)) {
                failure = "Erro ao gravar o arquivo extraído.";
                break;
            }
        }
        if (failure.empty() && std::fflush(out.get()) != 0) failure = "Erro ao gravar o arquivo extraído.";
        if (std::fclose(out.release()) != 0 && failure.empty())
            failure = "Erro ao gravar o arquivo extraído.";
    }
    if (!failure.empty()) {
        std::remove(result.Path.c_str());
        result.Error = OpenError(result.Path, failure);
        return result;
    }
    result.Ok = true;
    return result;
}
