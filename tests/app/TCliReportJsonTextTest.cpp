// A command's JSON given as text (a million bets): the report's own fields and
// "command" stand in the same object as the command's fields.
#include "TCliReport.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

TEST(TCliReport, JsonTextJoinsTheReportFields) {
    TCliReport report(TCliReport::TFormat::Json);
    report.Set("first", 1);
    report.SetJsonText("{\"bets\":[{\"balls\":[1,2,3]}],\"contests\":4}");
    const std::string text = report.Text("check");
    ASSERT_EQ(text.back(), '\n');
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(object.value("command").toString(), "check");
    EXPECT_EQ(object.value("first").toInt(), 1);
    EXPECT_EQ(object.value("contests").toInt(), 4);
    EXPECT_EQ(object.value("bets").toArray().size(), 1);

    // An empty object adds nothing.
    TCliReport empty(TCliReport::TFormat::Json);
    empty.SetJsonText("{}");
    EXPECT_EQ(empty.Text("check"), "{\"command\":\"check\"}\n");
}
