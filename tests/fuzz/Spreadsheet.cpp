// The results spreadsheet's XML parts: any bytes as the shared strings and as
// the sheet either give rows whose kept cells are within the columns asked
// for, or a message.
#include "FuzzSupport.h"
#include "TXlsxReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using FuzzSupport::Check;
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<std::string> strings;
    std::string error;
    if (!TXlsxReader::ReadSharedStrings(xml, strings, error)) Check(!error.empty(), "a refusal carries a message");
    if (strings.empty()) strings = {"0", "04", "x"};
    TXlsxReader reader;
    reader.ContestColumn = 1;
    reader.FirstBallColumn = 3;
    reader.BallCount = 6;
    const TXlsxReader::TResult result = reader.ReadSheet(xml, strings);
    if (!result.Ok) Check(!result.Error.empty(), "a refusal carries a message");
    for (const TXlsxReader::TRow& row : result.Rows)
        Check(static_cast<int32_t>(row.Balls.size()) == reader.BallCount && row.Row >= 1, "BallCount texts per row");
    (void)TXlsxReader::ColumnOf(std::string_view(xml.constData(), std::min<size_t>(size, 16)));
    return 0;
}
