#include "TResultsUpdate.h"

#include "NumberText.h"
#include "THtmlTableReader.h"
#include "TXlsxReader.h"
#include "TZipArchive.h"
#include "TZipExtractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString Q(const std::string& path) {
    return QString::fromStdString(path);
}

std::string WriteFailure(std::string_view what, const std::string& path, const QString& reason) {
    return "Não foi possível gravar " + std::string(what) + " \"" + path + "\": " + reason.toStdString();
}

// One answer of the results API: its contest and the texts of its balls
// (the order drawn; the ascending list where that is empty or missing).
struct TAnswer {
    int32_t Contest = 0;
    std::vector<QJsonValue> Balls;
};

bool ReadAnswer(const QJsonValue& value, TAnswer& answer, std::string& error) {
    if (!value.isObject()) {
        error = "a resposta não é um objeto JSON.";
        return false;
    }
    const QJsonObject object = value.toObject();
    const QJsonValue numero = object.value(QStringLiteral("numero"));
    const double contest = numero.toDouble(-1);
    if (!numero.isDouble() || contest < 1 || contest > 1e9 || std::floor(contest) != contest) {
        error = "a resposta não traz o número do concurso (\"numero\").";
        return false;
    }
    answer.Contest = static_cast<int32_t>(contest);
    answer.Balls.clear();
    for (const char* key : {"dezenasSorteadasOrdemSorteio", "listaDezenas"}) {
        const QJsonValue list = object.value(QLatin1String(key));
        if (list.isArray() && !list.toArray().isEmpty()) {
            for (const QJsonValue& ball : list.toArray()) answer.Balls.push_back(ball);
            return true;
        }
    }
    error = "a resposta não traz as dezenas sorteadas.";
    return false;
}

// The first k balls of an answer ("00" is ball 0); false with the reason.
bool AnswerBalls(const TAnswer& answer, int32_t k, std::vector<int32_t>& balls, std::string& error) {
    balls.clear();
    for (const QJsonValue& value : answer.Balls) {
        if (static_cast<int32_t>(balls.size()) == k) break;
        int ball = 0;
        const double number = value.toDouble(-1);
        if (value.isString()) {
            const std::string text = value.toString().toStdString();
            if (!NumberText::TryParseInt(text, ball)) {
                error = "\"" + text + "\" não é um número de bola.";
                return false;
            }
        } else if (value.isDouble() && number >= 0 && number <= 1e6 && std::floor(number) == number) {
            ball = static_cast<int>(number);
        } else {
            error = "a lista de dezenas traz um valor que não é um número de bola.";
            return false;
        }
        balls.push_back(ball);
    }
    return true;
}

// A contest or ball cell of the spreadsheet, or a field of the HTML table.
bool CellNumber(const std::string& text, int32_t& value) {
    int parsed = 0;
    if (!NumberText::TryParseInt(text, parsed)) return false;
    value = parsed;
    return true;
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
    const bool importing = !From.empty();
    definition_ = TGameDefinition{};
    if (!QFileInfo(Q(iniName)).isFile()) {
        if (!importing) return Stop(TOutcome::NoDefinition, std::string(NoDefinitionText));
        prepared_ = true;
        return std::nullopt;
    }
    std::string error;
    const bool columnsRead = definition_.Load(iniName, error);
    if (definition_.Url.empty() && !importing) return Stop(TOutcome::NoUrl, std::string(NoUrlText));
    if (!columnsRead) return Stop(TOutcome::InvalidDefinition, error);
    if (definition_.Type == TGameDefinition::ZipHtmlType && !importing) {
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
    if (!From.empty() || definition_.Type == TGameDefinition::JsonType ||
        definition_.Type == TGameDefinition::XlsxType) {
        TResult failure;
        if (!LoadHeld(failure)) return failure;
    }
    if (From.empty() && definition_.Type == TGameDefinition::JsonType) return Walk();
    if (!From.empty()) Status(ReadingText);
    else {
        Status(ConnectingText);
        Status(ReceivingText);
    }

    // Private folder (owner-only), removed with everything in it on return.
    QTemporaryDir work(QDir::tempPath() + "/tovisca-update-XXXXXX");
    if (!work.isValid())
        return Stop(TOutcome::Failed, "Não foi possível criar a pasta de trabalho.",
                    work.errorString().toStdString());
    const std::string folder = work.path().toStdString();
    if (!From.empty()) return Import(folder);
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
        if (download.HttpStatus == 403) return NetworkFailure(download, "arquivo de resultados");
        return Stop(TOutcome::DownloadFailed, std::string(DownloadFailedText), download.Error);
    }
    Status(ReceivedText);
    if (definition_.Type == TGameDefinition::XlsxType) {
        Status(ReadingText);
        return ReadSpreadsheet(target);
    }

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

    // The contests the history holds must all come back with the same balls:
    // a short or partial table would otherwise drop draws. A data file that
    // cannot be read as a history is replaced as it always was.
    TDrawCheck held;
    {
        QFile current(Q(dataFileName_));
        if (current.open(QIODevice::ReadOnly)) heldText_ = current.readAll().toStdString();
    }
    const bool guarded = held.LoadHistory(heldText_);
    if (guarded) heldDrawCount_ = std::max(heldDrawCount_, static_cast<int32_t>(held.Held().size()));
    std::vector<bool> seen(held.Held().size(), false);
    std::vector<int32_t> fields;
    std::string conflict;
    THtmlTableReader reader(definition_.ContestColumn, definition_.FirstBallColumn, definition_.BallCount,
                            heldDrawCount_);
    reader.ProgressEvery = ProgressEvery;
    std::string line;
    reader.OnLine = [&](std::string_view text) {
        if (guarded && !held.Held().empty()) {
            fields.clear();
            for (std::string_view rest = text;;) {
                const size_t end = rest.find(';');
                int32_t value = 0;
                CellNumber(std::string(rest.substr(0, end)), value);
                fields.push_back(value);
                if (end == std::string_view::npos) break;
                rest.remove_prefix(end + 1);
            }
            const std::span<const int32_t> balls(fields.data() + 1, fields.size() - 1);
            if (const int64_t at = held.Find(fields[0]); at >= 0) {
                if (!held.Offer(fields[0], balls)) {
                    conflict = held.Error();
                    return false;
                }
                seen[static_cast<size_t>(at)] = true;
            }
        }
        line.assign(text);
        line += "\r\n";
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
    if (!conflict.empty()) return Rejected(conflict);
    if (!written || table.Status == THtmlTableReader::TStatus::SinkFailed)
        return Stop(TOutcome::Failed, WriteFailure("o arquivo do jogo", dataFileName_, out.errorString()));
    if (!table.Ok()) return Stop(TOutcome::Failed, table.Error);
    if (table.Draws < heldDrawCount_) {
        TResult fewer =
            Stop(TOutcome::FewerDraws, "A tabela recebida tem " + NumberText::FormatInt(table.Draws) +
                                           " jogo(s), menos que os " + NumberText::FormatInt(heldDrawCount_) +
                                           " do histórico atual: o arquivo do jogo não foi alterado.");
        fewer.DrawsRead = table.Draws;
        return fewer;
    }
    for (size_t i = 0; i < seen.size(); ++i)
        if (!seen[i]) {
            TResult dropped = Stop(
                TOutcome::FewerDraws,
                TDrawCheck::ContestMessage(held.Held()[i].Contest,
                                           "está no histórico mas não na tabela recebida. " +
                                               std::string(UnchangedText)));
            dropped.DrawsRead = table.Draws;
            return dropped;
        }
    if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));

    if (auto failed = ReplaceDataFile(out)) return *failed;

    TResult result;
    result.Outcome = TOutcome::Updated;
    result.NewCount = table.NewCount;
    result.DrawsRead = table.Draws;
    return result;
}

std::optional<TResultsUpdate::TResult> TResultsUpdate::ReplaceDataFile(QSaveFile& out) {
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
    return std::nullopt;
}

bool TResultsUpdate::LoadHeld(TResult& failure) {
    heldText_.clear();
    QFile current(Q(dataFileName_));
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            failure = Stop(TOutcome::Failed, "Cannot open file \"" + dataFileName_ + "\". " +
                                                 current.errorString().toStdString());
            return false;
        }
        heldText_ = current.readAll().toStdString();
    }
    if (!check_.LoadHistory(heldText_)) {
        failure = Stop(TOutcome::Failed, check_.Error() + " " + std::string(UnchangedText));
        return false;
    }
    if (heldText_.empty()) check_.BallCount = definition_.XlsxBallCount > 0 ? definition_.XlsxBallCount
                                                                          : definition_.BallCount;
    if (check_.BallCount < 1) {
        failure = Stop(TOutcome::InvalidDefinition,
                       "O jogo ainda não tem histórico: indique BallsCount na seção XLSX do arquivo INI.");
        return false;
    }
    if (definition_.LowestBall >= 0 && definition_.HighestBall >= definition_.LowestBall)
        check_.SetRange(definition_.LowestBall, definition_.HighestBall);
    return true;
}

TResultsUpdate::TResult TResultsUpdate::CancelledAt(const std::string& what) {
    return Stop(TOutcome::Cancelled, "Atualização cancelada no " + what + ". " + std::string(UnchangedText));
}

TResultsUpdate::TResult TResultsUpdate::Rejected(const std::string& reason) {
    return Stop(TOutcome::Rejected, reason + " " + std::string(UnchangedText));
}

TResultsUpdate::TResult TResultsUpdate::NetworkFailure(const TDownloader::TResult& transfer,
                                                      const std::string& what) {
    if (transfer.Cancelled || Cancel) return CancelledAt(what);
    if (transfer.HttpStatus == 403)
        return Stop(TOutcome::Forbidden, "O servidor recusou o pedido do " + what + " (HTTP 403). " +
                                             std::string(ImportSuggestion) + " " + std::string(UnchangedText));
    std::string reason = transfer.Error;
    if (transfer.Attempts > 1) reason += " (" + NumberText::FormatInt(transfer.Attempts) + " tentativas)";
    return Stop(TOutcome::DownloadFailed,
                "Ocorreu um erro no recebimento do " + what + ": " + reason + ". " + std::string(UnchangedText));
}

TResultsUpdate::TResult TResultsUpdate::Commit(int32_t read) {
    if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
    TResult result;
    result.Outcome = TOutcome::Updated;
    result.DrawsRead = read;
    result.NewCount = static_cast<int32_t>(check_.Added().size());
    if (result.NewCount > 0) {
        // The held text as it stands, then the new lines.
        std::string text = heldText_;
        if (text.empty()) {
            text = "Concurso";
            for (int32_t i = 1; i <= check_.BallCount; ++i) text += ";Bola" + NumberText::FormatInt(i);
            text += check_.LineEnd;
        } else if (text.back() != '\n') {
            text += check_.LineEnd;
        }
        text += check_.AddedText();
        QSaveFile out(Q(dataFileName_));
        out.setDirectWriteFallback(false);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
            return Stop(TOutcome::Failed, WriteFailure("o arquivo do jogo", dataFileName_, out.errorString()));
        if (auto failed = ReplaceDataFile(out)) return *failed;
    }
    Status(NumberText::FormatInt(result.NewCount) + std::string(AddedSuffix));
    result.Message = UpdatedMessage(result.NewCount);
    return result;
}

TResultsUpdate::TResult TResultsUpdate::Walk() {
    Status(ConnectingText);
    Downloader.OnProgress = [this](int64_t, int64_t) { return !Cancel.load(); };
    struct Reset {
        TDownloader& downloader;
        ~Reset() { downloader.OnProgress = nullptr; }
    } reset{Downloader};
    const std::string& base = definition_.Url;
    std::string body;
    TAnswer answer;
    std::string error;
    std::vector<int32_t> balls;
    const auto fetch = [&](const std::string& url, const std::string& what) -> std::optional<TResult> {
        const TDownloader::TResult transfer = Downloader.Get(url, body);
        if (!transfer.Ok) return NetworkFailure(transfer, what);
        QJsonParseError parse;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body), &parse);
        if (parse.error != QJsonParseError::NoError)
            return Rejected("Resposta inválida do " + what + ": " + parse.errorString().toStdString() + ".");
        if (!ReadAnswer(document.isObject() ? QJsonValue(document.object()) : QJsonValue(), answer, error))
            return Rejected("Resposta inválida do " + what + ": " + error);
        if (!AnswerBalls(answer, check_.BallCount, balls, error))
            return Rejected(TDrawCheck::ContestMessage(answer.Contest, error));
        return std::nullopt;
    };

    Status(ReceivingText);
    if (auto failed = fetch(base, "último resultado")) return *failed;
    const int32_t newest = answer.Contest;
    int32_t read = 1;
    if (newest <= check_.LastHeld() && !check_.Offer(newest, balls)) return Rejected(check_.Error());
    for (int32_t contest = check_.NextContest(); contest <= newest; ++contest) {
        const std::string what = "concurso " + NumberText::FormatInt(contest);
        if (Cancel) return CancelledAt(what);
        Status(THtmlTableReader::ProgressText(NumberText::FormatInt(contest)));
        if (auto failed = fetch(base + "/" + NumberText::FormatInt(contest), what)) return *failed;
        ++read;
        if (answer.Contest != contest)
            return Rejected(TDrawCheck::ContestMessage(
                contest, "a resposta traz o concurso " + NumberText::FormatInt(answer.Contest) + "."));
        if (!check_.Offer(contest, balls)) return Rejected(check_.Error());
    }
    return Commit(read);
}

TResultsUpdate::TResult TResultsUpdate::ReadSpreadsheet(const std::string& path) {
    TXlsxReader reader;
    reader.ContestColumn = definition_.XlsxContestColumn > 0 ? definition_.XlsxContestColumn : 1;
    reader.FirstBallColumn = definition_.XlsxFirstBallColumn > 0 ? definition_.XlsxFirstBallColumn : 3;
    reader.BallCount = check_.BallCount;
    reader.Sheet = definition_.XlsxSheet;
    const TXlsxReader::TResult sheet = reader.Read(path);
    if (!sheet.Ok) return Rejected(sheet.Error);
    if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
    std::vector<int32_t> balls;
    int32_t read = 0;
    for (const TXlsxReader::TRow& row : sheet.Rows) {
        int32_t contest = 0;
        if (!CellNumber(row.Contest, contest)) {
            // Header rows come before the first draw; anything later is a fault.
            if (read == 0) continue;
            return Rejected("Linha " + NumberText::FormatInt(row.Row) + " da planilha: \"" + row.Contest +
                            "\" não é um número de concurso.");
        }
        ++read;
        balls.clear();
        for (const std::string& text : row.Balls) {
            if (text.empty()) continue;
            int32_t ball = 0;
            if (!CellNumber(text, ball))
                return Rejected(TDrawCheck::ContestMessage(contest, "\"" + text + "\" não é um número de bola."));
            balls.push_back(ball);
        }
        if (!check_.Offer(contest, balls)) return Rejected(check_.Error());
        if (ProgressEvery > 0 && read % std::max(ProgressEvery, 100) == 0) {
            Status(THtmlTableReader::ProgressText(row.Contest));
            if (Cancel) return Stop(TOutcome::Cancelled, std::string(CancelledText));
        }
    }
    return Commit(read);
}

TResultsUpdate::TResult TResultsUpdate::ReadAnswers(const std::string& path) {
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly))
        return Stop(TOutcome::Failed, "Cannot open file \"" + path + "\". " + file.errorString().toStdString());
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(int64_t{64} << 20), &parse);
    if (parse.error != QJsonParseError::NoError)
        return Rejected("Resposta JSON inválida: " + parse.errorString().toStdString() + ".");
    // One saved answer, or a list of them.
    const QJsonArray answers = document.isArray() ? document.array() : QJsonArray{document.object()};
    TAnswer answer;
    std::string error;
    std::vector<int32_t> balls;
    int32_t read = 0;
    for (const QJsonValue& value : answers) {
        if (!ReadAnswer(value, answer, error)) return Rejected("Resposta JSON inválida: " + error);
        if (!AnswerBalls(answer, check_.BallCount, balls, error))
            return Rejected(TDrawCheck::ContestMessage(answer.Contest, error));
        ++read;
        Status(THtmlTableReader::ProgressText(NumberText::FormatInt(answer.Contest)));
        if (!check_.Offer(answer.Contest, balls)) return Rejected(check_.Error());
    }
    return Commit(read);
}

TResultsUpdate::TResult TResultsUpdate::Import(const std::string& folder) {
    QFile file(Q(From));
    if (!file.open(QIODevice::ReadOnly))
        return Stop(TOutcome::Failed, "Cannot open file \"" + From + "\". " + file.errorString().toStdString());
    const QByteArray head = file.read(512).trimmed();
    file.close();
    if (head.startsWith("PK")) {
        TZipArchive zip(From);
        if (!zip.Ok()) return Rejected("O arquivo \"" + From + "\" não pôde ser aberto: " + zip.Error());
        if (zip.Contains("xl/workbook.xml")) return ReadSpreadsheet(From);
        // The old archive: the page named in the definition, or its only page.
        std::string member = definition_.SourceFile;
        if (member.empty())
            for (const std::string& name : zip.Names()) {
                const QString lower = QString::fromStdString(name).toLower();
                if (lower.endsWith(QStringLiteral(".htm")) || lower.endsWith(QStringLiteral(".html"))) {
                    member = name;
                    break;
                }
            }
        if (!TZipExtractor::IsPlainFileName(member))
            return Rejected("O pacote \"" + From + "\" não tem a página de resultados.");
        if (definition_.ContestColumn < 1 || definition_.FirstBallColumn < 1 || definition_.BallCount < 1)
            return Stop(TOutcome::InvalidDefinition,
                        "Colunas da tabela inválidas no arquivo INI (LoteryNumberColumn, BallsStartColumn e "
                        "BallsCount devem ser maiores que zero).");
        Status(UnpackingText);
        TZipExtractor extractor;
        extractor.MaxBytes = MaxPageBytes;
        const TZipExtractor::TResult page = extractor.Extract(From, member, folder);
        if (!page.Ok) return Stop(TOutcome::Failed, page.Error);
        Status(ReadingText);
        TResult result = ReadPage(page.Path);
        if (result.Outcome != TOutcome::Updated) return result;
        Status(NumberText::FormatInt(result.NewCount) + std::string(AddedSuffix));
        result.Message = UpdatedMessage(result.NewCount);
        return result;
    }
    if (head.startsWith('{') || head.startsWith('[')) return ReadAnswers(From);
    return Rejected("O arquivo \"" + From +
                    "\" não é uma planilha XLSX, uma resposta JSON nem um pacote ZIP de resultados.");
}
