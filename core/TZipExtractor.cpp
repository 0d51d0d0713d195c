#include "TZipExtractor.h"

#include <zip.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct MemberCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string OpenError(const std::string& path, const std::string& reason) {
    return "Cannot open file \"" + path + "\". " + reason;
}

std::string ArchiveOpenReason(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
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
    std::remove(result.Path.c_str());

    int code = 0;
    std::unique_ptr<zip_t, ArchiveCloser> zip(zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip) {
        result.Error = OpenError(result.Path, ArchiveOpenReason(code));
        return result;
    }
    zip_int64_t index = zip_name_locate(zip.get(), member.c_str(), ZIP_FL_ENC_GUESS);
    if (index < 0) index = zip_name_locate(zip.get(), member.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        result.Error = OpenError(result.Path, "O arquivo não está no pacote recebido.");
        return result;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) && stat.size > static_cast<zip_uint64_t>(MaxBytes)) {
        result.Error = OpenError(result.Path, "O arquivo no pacote é grande demais.");
        return result;
    }
    std::unique_ptr<zip_file_t, MemberCloser> in(
        zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(index), 0));
    if (!in) {
        result.Error = OpenError(result.Path, zip_strerror(zip.get()));
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
            const zip_int64_t n = zip_fread(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                failure = zip_file_strerror(in.get());
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
