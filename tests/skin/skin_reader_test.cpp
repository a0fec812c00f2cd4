#include "skin/SkinReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/TestEnvironment.h"

namespace ambrin {
namespace {

// Writes every notification as a line: "<name a=1 b=2" for a start, ">name" for an end.
class RecordingReader : public SkinReader {
  public:
    int startElement(const std::string& name, const Attributes& attributes) override {
        std::string line = "<" + name;
        for (const auto& [key, value] : attributes) {
            line += " " + key + "=[" + value + "]";
        }
        events.push_back(line);
        return name == refuseStart ? 1 : 0;
    }
    int endElement(const std::string& name) override {
        events.push_back(">" + name);
        return name == refuseEnd ? 7 : 0;
    }

    std::vector<std::string> events;
    std::string refuseStart;
    std::string refuseEnd;
};

using Events = std::vector<std::string>;

class SkinReaderTest : public test::EnvironmentTest {
  protected:
    int parse(const std::string& text) {
        reader.events.clear();
        return reader.parseText(text);
    }

    RecordingReader reader;
};

TEST_F(SkinReaderTest, WhiteSpaceOnlyParsesWithoutCalls) {
    EXPECT_EQ(parse(""), 0);
    EXPECT_EQ(parse(" \r\n\t \n "), 0);
    EXPECT_TRUE(reader.events.empty());
}

TEST_F(SkinReaderTest, ElementsComeInDocumentOrder) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\r\n"
        "<!-- windows -->\n"
        "<OWINDOW ONAME=\"MainWindow\">\n"
        "  <OPANEL ONAME=\"p\" ORECT=\"0, 0, 10, 10\" OPOS=\"1,2\">\n"
        "    <OBUTTONC ONAME=\"Play\"/>\n"
        "  </OPANEL>\n"
        "</OWINDOW>< /Unmatched >\n";
    ASSERT_EQ(parse(text), 0);
    EXPECT_EQ(
        reader.events,
        (Events{"<OWINDOW ONAME=[MainWindow]", "<OPANEL ONAME=[p] OPOS=[1,2] ORECT=[0, 0, 10, 10]",
                "<OBUTTONC ONAME=[Play]", ">OBUTTONC", ">OPANEL", ">OWINDOW", ">Unmatched"}));
    EXPECT_EQ(parse("<A>\n</ A>"), 23);  // no white space between "/" and the name
}

TEST_F(SkinReaderTest, AttributeValuesAreDeliveredAsWritten) {
    ASSERT_EQ(parse("<A E=\"\" S=\" \" X=\"&amp;&lt;\" R=\"1\" R=\"2\" W = \"a b\" N:s=\"<\"/>"),
              0);
    EXPECT_EQ(reader.events, (Events{"<A E=[] N:s=[<] R=[2] S=[ ] W=[a b] X=[&amp;&lt;]", ">A"}));
    ASSERT_EQ(parse("<A E=\"  \"/><B E = \"\" />"), 0);
    EXPECT_EQ(reader.events, (Events{"<A E=[  ]", ">A", "<B E=[]", ">B"}));
}

TEST_F(SkinReaderTest, NameCharactersAndLimits) {
    const std::string name254(254, 'N');
    const std::string value254(254, 'v');
    EXPECT_EQ(parse("<O_B:1 a:B9=\"1\"/>"), 0);
    EXPECT_EQ(parse("<" + name254 + " " + name254 + "=\"" + value254 + "\"/>"), 0);
    EXPECT_EQ(reader.events.front(), "<" + name254 + " " + name254 + "=[" + value254 + "]");
    EXPECT_EQ(parse("<" + name254 + "N/>"), 23);
    EXPECT_EQ(parse("<A " + name254 + "N=\"1\"/>"), 23);
    EXPECT_EQ(parse("<A a=\"" + value254 + "v\"/>"), 23);
    EXPECT_EQ(parse("<A O_X=\"1\"/>"), 23);  // no "_" in attribute names
    EXPECT_EQ(parse("<A a='1'/>"), 23);
    EXPECT_EQ(parse("<A a>"), 23);
    EXPECT_EQ(parse("<>"), 23);
    EXPECT_EQ(parse("<A"), 23);  // cut off by the end of the file
}

// The error position counts the line breaks consumed up to the failure: the white space
// before and after earlier tags, those inside earlier tags, and a rejected text run up to
// the next "<".
TEST_F(SkinReaderTest, FailuresAndTheirPositions) {
    const std::string longTag = "<C" + std::string(1023, ' ') + "/>";  // 1025 characters
    struct Case {
        const char* what;
        std::string text;
        Events events;
        const char* position;
    };
    const std::vector<Case> cases = {
        {"first line", "<A>text<B/>", {"<A"}, "[0]."},
        {"text between tags", "<A>\n  text\n</A>", {"<A"}, "[2]."},
        {"comment holding >", "<A/>\n<!-- a > b -->\n<B/>", {"<A", ">A"}, "[2]."},
        {"tag of 1025", "<A/>\n<B/>\n" + longTag, {"<A", ">A", "<B", ">B"}, "[2]."},
        {"later declaration", "<A/>\n<?xml version=\"1.0\"?>", {"<A", ">A"}, "[1]."},
        {"lines in a tag", "<A\n B=\"1\"\n/>\n<C>x", {"<A B=[1]", ">A", "<C"}, "[3]."},
        {"leading lines", "\n\n\n<A>x", {"<A"}, "[3]."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(parse(c.text), 23);
        EXPECT_EQ(reader.events, c.events);
        EXPECT_EQ(reader.errorPosition(), c.position);
    }
    // Trailing white space beyond the limit still closes a tag.
    EXPECT_EQ(parse("<A" + std::string(1022, ' ') + "/>"), 0);
    EXPECT_EQ(parse("<A" + std::string(1023, ' ') + "   \n>"), 0);
}

TEST_F(SkinReaderTest, AHandlerStopsTheParse) {
    reader.refuseStart = "B";
    EXPECT_EQ(parse("<A/>\n<B/>\n<C/>"), 23);
    EXPECT_EQ(reader.events, (Events{"<A", ">A", "<B"}));
    EXPECT_EQ(reader.errorPosition(), "[2].");
    reader.refuseStart.clear();
    reader.refuseEnd = "B";
    EXPECT_EQ(parse("<A/><B/><C/>"), 23);
    EXPECT_EQ(reader.events, (Events{"<A", ">A", "<B", ">B"}));
    EXPECT_EQ(parse("<B></B><C/>"), 23);
    EXPECT_EQ(reader.events, (Events{"<B", ">B"}));
}

TEST_F(SkinReaderTest, FilesParseLikeTexts) {
    const std::string path = env.path("skin.xml");
    test::writeFile(path, "<?xml?>\r\n<OSKININFO ONAME=\"Large\"\r\n ODATE=\"2012.07.31\"/>\r\n");
    EXPECT_EQ(reader.parseFile(path), 0);
    EXPECT_EQ(reader.events, (Events{"<OSKININFO ODATE=[2012.07.31] ONAME=[Large]", ">OSKININFO"}));

    test::writeFile(path, "<A/>\n\n<A>oops</A>\n");
    EXPECT_EQ(reader.parseFile(path), 23);
    EXPECT_EQ(reader.errorPosition(), "[2].");
}

TEST_F(SkinReaderTest, UnopenableFilesAreCode8WithoutCalls) {
    EXPECT_EQ(reader.parseFile(env.path("missing.xml")), 8);
    EXPECT_EQ(reader.parseFile(env.root()), 8);
    EXPECT_TRUE(reader.events.empty());
}

}  // namespace
}  // namespace ambrin
