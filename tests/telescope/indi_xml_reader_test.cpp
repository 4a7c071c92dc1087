// The bounded reader of an INDI server's stream.
#include "telescope/indi_xml_reader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace skyvane::telescope {
namespace {

// Two messages as indiserver sends them, with a multi-byte name.
const QByteArray kTwoMessages =
    "<defNumberVector device=\"Télescope\" name=\"EQUATORIAL_EOD_COORD\" state=\"Idle\" "
    "perm=\"rw\">\n  <defNumber name=\"RA\" format=\"%10.6m\">\n      12.5\n  </defNumber>\n"
    "  <defNumber name=\"DEC\">-5:30:00</defNumber>\n</defNumberVector>\n"
    "<message device=\"Télescope\" timestamp=\"2026-01-01T00:00:00\" "
    "message=\"[INFO] Slewing &amp; tracking\"/>\n";

TEST(IndiXmlReader, ReadsTheSameMessagesHoweverTheBytesArrive)
{
    for (const int chunk : {1, 2, 3, 7, 64, 100000}) {
        SCOPED_TRACE(chunk);
        IndiXmlReader reader;
        std::vector<IndiMessage> messages;
        for (qsizetype at = 0; at < kTwoMessages.size(); at += chunk)
            for (IndiMessage& m : reader.Feed(kTwoMessages.mid(at, chunk)))
                messages.push_back(std::move(m));
        ASSERT_FALSE(reader.Failed()) << reader.Error().toStdString();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].tag, "defNumberVector");
        EXPECT_EQ(messages[0].Attribute(u"device"), QString::fromUtf8("Télescope"));
        EXPECT_EQ(messages[0].Attribute(u"state"), "Idle");
        ASSERT_EQ(messages[0].items.size(), 2u);
        EXPECT_EQ(messages[0].Item(u"RA"), "12.5");
        EXPECT_EQ(messages[0].Item(u"DEC"), "-5:30:00");
        EXPECT_EQ(messages[1].Attribute(u"message"), "[INFO] Slewing & tracking");
        EXPECT_EQ(reader.PendingChars(), 1);  // the last newline
    }
}

TEST(IndiXmlReader, RefusesWhatBreaksItsBounds)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    const QByteArray longText = QByteArray(IndiXmlReader::kMaxMessageChars + 10, 'x');
    QByteArray manyAttributes = "<message";
    for (int i = 0; i <= IndiXmlReader::kMaxAttributes; ++i)
        manyAttributes += " a" + QByteArray::number(i) + "=\"1\"";
    manyAttributes += "/>";
    QByteArray manyItems = "<defSwitchVector device=\"d\" name=\"n\">";
    for (std::size_t i = 0; i <= IndiXmlReader::kMaxItems; ++i) manyItems += "<s/>";
    const Case cases[] = {
        {"malformed", "<a><b></a>", "malformed XML"},
        {"a stray end", "</indi>", "stream's end"},
        {"deep nesting", "<a><b><c><d><e>", "nested deeper than 4"},
        {"an endless message", "<defText name=\"t\">" + longText, "longer than"},
        {"an endless attribute", "<message message=\"" + longText, "longer than"},
        {"an endless tag name", "<" + longText, ""},
        {"too many attributes", manyAttributes, "more than 32 attributes"},
        {"too many members", manyItems, "more than 2048 members"},
        {"a document type", "<!DOCTYPE x [<!ENTITY a \"aaaa\">]>", "document type"},
        {"an undeclared entity", "<message message=\"&lol;\"/>", "malformed XML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IndiXmlReader reader;
        EXPECT_TRUE(reader.Feed(c.bytes).empty());
        ASSERT_TRUE(reader.Failed());
        // An empty reason: any refusal will do.
        EXPECT_NE(reader.Error().indexOf(QString::fromLatin1(c.reason)), -1)
            << reader.Error().toStdString();
        // Nothing more is taken after a failure.
        EXPECT_TRUE(reader.Feed(kTwoMessages).empty());
    }
}

TEST(IndiXmlReader, MessagesBeforeALaterFaultAreKeptOnlyUntilIt)
{
    IndiXmlReader reader;
    EXPECT_EQ(reader.Feed(kTwoMessages).size(), 2u);
    // A long stream of good messages never accumulates.
    for (int i = 0; i < 200; ++i) ASSERT_EQ(reader.Feed(kTwoMessages).size(), 2u);
    EXPECT_LT(reader.PendingChars(), 10);
    EXPECT_TRUE(reader.Feed("<oops></>").empty());
    EXPECT_TRUE(reader.Failed());
}

TEST(IndiNumber, DecimalAndSexagesimal)
{
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"12.5", 12.5},       {" \n 12.5\n", 12.5},  {"-5:30:00", -5.5},  {"-0:30", -0.5},
        {"5 30 36", 5.51},    {"23:59:59.9", 23 + 59.0 / 60 + 59.9 / 3600},
        {"", std::nullopt},   {"abc", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
        {"1e999", std::nullopt}, {"1:2:3:4", std::nullopt}, {"5:-30", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> value = ParseIndiNumber(QString::fromLatin1(c.text));
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value) {
            EXPECT_NEAR(*value, *c.value, 1e-12);
        }
    }
}

}  // namespace
}  // namespace skyvane::telescope
