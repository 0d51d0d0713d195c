#include "TResultsUpdate.h"

#include "NumberText.h"
#include "THtmlTableReader.h"
#include "TLottery.h"
#include "TZipExtractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <utility>

namespace {

QString Q(const std::string& path) {
    return QString::fromStdString(path);
}

std::string WriteFailure(std::string_view what, const std::string& path, const QString& reason) {
    return "Não foi possível gravar " + std::string(what) + " \"" + path + "\": " + reason.toStdString();
}

} // namespace

TResultsUpdate::TResultsUpdate(std::string dataFileName, int32_t heldDrawCount)
    : dataFileName_(std::move(dataFileName)), heldDrawCount_(heldDrawCount) {}

std::string TResultsUpdate::DownloadFileName(std::string_view url) {
    const size_t delimiter = url.find_last_of("\\:");
    const size_t dot = url.find_last_of('.');
    std::string name = "_update";
    if (dot == std::string_view::npos || (delimiter != std::string_view::npos && dot < delimiter))
        return name;
    const std::string_view extension = url.substr(dot);
    if (extension.size() < 2 || extension.size() > 16) return name;
    for (const char c : extension.substr(1)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '-';
        if (!plain) return name;
    }
    return name + std::string(extension);
}

std::string TResultsUpdate::UpdatedMessage(int32_t newCount) {
    return std::string(UpdatedText) + "\r\n" + NumberText::FormatInt(newCount) + std::string(AddedSuffix);
}

void TResultsUpdate::Status(std::string_view text) {
    if (OnStatus) OnStatus(std::string(text));
}

TResultsUpdate::TResult TResultsUpdate::Stop(TOutcome outcome, std::string message, std::string detail) {
    TResult result;
    result.Outcome = outcome;
    result.Message = std::move(message);
    result.Detail = std::move(detail);
    if (outcome != TOutcome::Declined) Status(result.Message);
    return result;
}

std::optional<TResultsUpdate::TResult> TResultsUpdate::Prepare() {
    prepared_ = false;
    const std::string iniName = TGameDefinition::DefinitionFileName(dataFileName_);
    if (!QFileInfo(Q(iniName)).isFile()) return Stop(TOutcome::NoDefinition, std::string(NoDefinitionText));

    definition_ = TGameDefinition{};
    std::string error;
    const bool columnsRead = definition_.Load(iniName, error);
    if (definition_.Url.empty()) return Stop(TOutcome::NoUrl, std::string(NoUrlText));
    if (!columnsRead) return Stop(TOutcome::InvalidDefinition, error);
    if (definition_.Type == TGameDefinition::ZipHtmlType) {
        // A data file named like its own backup would be copied onto itself
        // and then overwritten: no backup would remain.
        if (TGameDefinition::BackupFileName(dataFileName_) == dataFileName_)
            return Stop(
                TOutcome::InvalidDefinition,
                "O arquivo do jogo não pode ter a extensão \".bak\": não haveria cópia de segurança.");
        if (!TZipExtractor::IsPlainFileName(definition_.SourceFile))
            return Stop(TOutcome::InvalidDefinition,
                        "Nome de arquivo inválido em SourceFile no arquivo INI: \"" + definition_.SourceFile +
                            "\".");
        if (definition_.ContestColumn < 1 || definition_.FirstBallColumn < 1 || definition_.BallCount < 1)
            return Stop(TOutcome::InvalidDefinition,
                        "Colunas da tabela inválidas no arquivo INI (LoteryNumberColumn, BallsStartColumn e "
                        "BallsCount devem ser maiores que zero).");
        // The history written must be one the program can open again.
        if (definition_.BallCount > TLottery::MaxPerCombination)
            return Stop(TOutcome::InvalidDefinition,
                        "BallsCount no arquivo INI é grande demais: um jogo tem no máximo " +
                            NumberText::FormatInt(TLottery::MaxPerCombination) + " bolas por sorteio.");
    }
    prepared_ = true;
    return std::nullopt;
}

TResultsUpdate::TResult TResultsUpdate::Run() {
    if (auto stopped = Prepare()) return *stopped;
    if (OnConfirm && !OnConfirm()) return Stop(TOutcome::Declined, {});
    return Execute();
}

TResultsUpdate::TResult TResultsUpdate::Execute() {
    if (!prepared_) {
        if (auto stopped = Prepare()) return *stopped;
    }
    if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
    Status(ConnectingText);
    Status(ReceivingText);

    // Private folder (owner-only), removed with everything in it on return.
    QTemporaryDir work(QDir::tempPath() + "/tovisca-update-XXXXXX");
    if (!work.isValid())
        return Stop(TOutcome::Failed, "Não foi possível criar a pasta de trabalho.",
                    work.errorString().toStdString());
    const std::string folder = work.path().toStdString();
    const std::string target = folder + "/" + DownloadFileName(definition_.Url);

    int64_t lastStep = -1;
    Downloader.OnProgress = [this, &lastStep](int64_t received, int64_t total) {
        if (Cancel) return false;
        // One status per whole percent, or per 64 KB when the size is unknown.
        const int64_t step = total > 0 ? received * 100 / total : received / 65536;
        if (step != lastStep && received > 0) {
            lastStep = step;
            Status(std::string(ReceivingText) + " " +
                   (total > 0 ? NumberText::FormatInt(step) + "%"
                              : NumberText::FormatInt(received / 1024) + " KB"));
        }
        return true;
    };
    const TDownloader::TResult download = Downloader.Download(definition_.Url, target);
    Downloader.OnProgress = nullptr;
    if (!download.Ok) {
        if (download.Cancelled || Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
        return Stop(TOutcome::DownloadFailed, std::string(DownloadFailedText), download.Error);
    }
    Status(ReceivedText);

    TResult result;
    result.Outcome = TOutcome::Updated;
    if (definition_.Type == TGameDefinition::ZipHtmlType) {
        Status(UnpackingText);
        TZipExtractor extractor;
        extractor.MaxBytes = MaxPageBytes;
        const TZipExtractor::TResult page = extractor.Extract(target, definition_.SourceFile, folder);
        QFile::remove(Q(target));
        if (!page.Ok) return Stop(TOutcome::Failed, page.Error);
        if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
        Status(ReadingText);
        result = ReadPage(page.Path);
        if (result.Outcome != TOutcome::Updated) return result;
    }
    const std::string added = NumberText::FormatInt(result.NewCount) + std::string(AddedSuffix);
    Status(added);
    result.Message = UpdatedMessage(result.NewCount);
    return result;
}

TResultsUpdate::TResult TResultsUpdate::ReadPage(const std::string& pagePath) {
    QFile pageFile(Q(pagePath));
    if (!pageFile.open(QIODevice::ReadOnly))
        return Stop(TOutcome::Failed,
                    "Cannot open file \"" + pagePath + "\". " + pageFile.errorString().toStdString());
    std::string_view page;
    if (pageFile.size() > 0) {
        const uchar* bytes = pageFile.map(0, pageFile.size());
        if (!bytes)
            return Stop(TOutcome::Failed,
                        "Cannot open file \"" + pagePath + "\". " + pageFile.errorString().toStdString());
        page = std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(pageFile.size()));
    }

    // The new history goes to a temporary file beside the data file; it
    // replaces the data file only by the final commit.
    QSaveFile out(Q(dataFileName_));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return Stop(TOutcome::Failed, WriteFailure("o arquivo do jogo", dataFileName_, out.errorString()));
    std::string header = "Concurso";
    for (int32_t i = 1; i <= definition_.BallCount; ++i) header += ";Bola" + NumberText::FormatInt(i);
    header += "\r\n";
    bool written =
        out.write(header.data(), static_cast<qint64>(header.size())) == static_cast<qint64>(header.size());

    THtmlTableReader reader(definition_.ContestColumn, definition_.FirstBallColumn, definition_.BallCount,
                            heldDrawCount_);
    reader.ProgressEvery = ProgressEvery;
    std::string line;
    uint64_t fileBytes = header.size();
    reader.OnLine = [&](std::string_view text) {
        line.assign(text);
        line += "\r\n";
        fileBytes += line.size();
        written = written && out.write(line.data(), static_cast<qint64>(line.size())) ==
                                 static_cast<qint64>(line.size());
        return written;
    };
    reader.OnProgress = [this](const std::string& status) {
        Status(status);
        return !Cancel.load();
    };
    const THtmlTableReader::TResult table = reader.Read(page);
    if (table.Status == THtmlTableReader::TStatus::Stopped)
        return Stop(TOutcome::Cancelled, std::string(CancelledText));
    if (!written || table.Status == THtmlTableReader::TStatus::SinkFailed)
        return Stop(TOutcome::Failed, WriteFailure("o arquivo do jogo", dataFileName_, out.errorString()));
    if (!table.Ok()) return Stop(TOutcome::Failed, table.Error);
    // Tables that the history could not open are refused before anything is
    // replaced: a game beyond the exact CSNs, or a file beyond its size limit.
    if (!TCSN::InExactRange(table.Elements, definition_.BallCount))
        return Stop(TOutcome::Failed, TCSN::RangeMessage(table.Elements, definition_.BallCount));
    if (fileBytes > TLottery::MaxFileBytes)
        return Stop(TOutcome::Failed, "A tabela recebida é grande demais para um histórico de jogo.");
    if (table.Draws < heldDrawCount_) {
        TResult fewer =
            Stop(TOutcome::FewerDraws, "A tabela recebida tem " + NumberText::FormatInt(table.Draws) +
                                           " jogo(s), menos que os " + NumberText::FormatInt(heldDrawCount_) +
                                           " do histórico atual: o arquivo do jogo não foi alterado.");
        fewer.DrawsRead = table.Draws;
        return fewer;
    }
    if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));

    // The previous file becomes the ".bak" copy (replacing an older one), then
    // the new file takes its place in one rename.
    QFile previous(Q(dataFileName_));
    if (previous.exists()) {
        const std::string backupName = TGameDefinition::BackupFileName(dataFileName_);
        if (!previous.open(QIODevice::ReadOnly))
            return Stop(TOutcome::Failed, "Cannot open file \"" + dataFileName_ + "\". " +
                                              previous.errorString().toStdString());
        QSaveFile backup(Q(backupName));
        backup.setDirectWriteFallback(false);
        bool copied = backup.open(QIODevice::WriteOnly);
        while (copied && !previous.atEnd()) {
            const QByteArray block = previous.read(1 << 20);
            copied = !block.isEmpty() && backup.write(block) == block.size();
        }
        copied = copied && previous.error() == QFileDevice::NoError && backup.commit();
        if (!copied)
            return Stop(TOutcome::Failed,
                        WriteFailure("a cópia de segurança", backupName, backup.errorString()));
    }
    if (!out.commit())
        return Stop(TOutcome::Failed, WriteFailure("o arquivo do jogo", dataFileName_, out.errorString()));

    TResult result;
    result.Outcome = TOutcome::Updated;
    result.NewCount = table.NewCount;
    result.DrawsRead = table.Draws;
    return result;
}
