// The spreadsheet of a record list, read back by another program (openpyxl): every cell
// with its type and format, the header's look, the column widths, the formula with the
// total it carries; the file lands in the documents folder and never replaces another.
#include <dirent.h>

#include <set>

#include "platform/StringTable.h"
#include "records/RecordExport.h"
#include "records/RecordsFixture.h"

namespace ambrin {
namespace {

class RecordExportTest : public test::RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        SetUiLanguage(kLangEnglish);
        // The desktop names a documents folder of its own.
        ::mkdir(env.path("config").c_str(), 0755);
        test::writeFile(env.path("config/user-dirs.dirs"),
                        "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
        names = defaultDisplayNames();
    }

    // The export of these keys into the documents folder; the reader's view of the file.
    std::string exportAndRead(const std::vector<std::string>& keys, std::string& path) {
        EXPECT_TRUE(exportRecordList(database(), keys, "2012-07-01", "2012-07-31", names,
                                     documents(), path));
        test::ChildProcess reader("/usr/bin/python3", {AMBRIN_WORKBOOK_READER, path},
                                  env.path("tmp"));
        EXPECT_EQ(reader.wait(std::chrono::seconds(60)), 0) << reader.errors();
        return reader.output();
    }

    std::string documents() const { return env.path("home/Papers"); }

    std::set<std::string> filesIn(const std::string& folder) const {
        std::set<std::string> found;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                if (entry->d_name[0] != '.') {
                    found.insert(entry->d_name);
                }
            }
            ::closedir(dir);
        }
        return found;
    }

    DisplayNames names;
};

TEST_F(RecordExportTest, EveryCellIsWrittenAsWhatItIs) {
    CallRecord first;
    first.name = "Kim";
    first.cid = "0101234567";
    first.organize = "Tavix";
    first.address = "Seoul";
    first.contents = "Order of 5 boxes\nCall back Monday";
    first.etc1 = "vip";
    first.etc2 = "x";
    first.fileName = "/home/kim/db/Kim@20120731153012.ogg";
    first.totalTime = 3725;  // 1:02:05
    first.callType = kCallInbound;
    ASSERT_TRUE(database().InsertCallRecord("20120731153012", first));
    CallRecord second;
    second.fileName = "/home/kim/db/20120702090000.wav";
    second.totalTime = 90000;  // 25 hours
    second.callType = kCallUnknown;
    ASSERT_TRUE(database().InsertCallRecord("20120702090000", second));

    std::string path;
    // Newest first, as the list shows them; a key whose record has gone is left out.
    const std::string sheet =
        exportAndRead({"20120731153012", "20120715000000", "20120702090000"}, path);
    EXPECT_EQ(path, documents() + "/Ambrin+ 2012-07-01 ~ 2012-07-31.xlsx");
    EXPECT_EQ(sheet,
              "A1\tstr\t'Period '\tGeneral\n"
              "B1\tstr\t'2012-07-01 ~ 2012-07-31'\tGeneral\n"
              "A2\tstr\t'The number of telephone calls '\tGeneral\n"
              "B2\tint\t2\tGeneral\n"
              "A3\tstr\t'Total Call Duration'\tGeneral\n"
              "B3\tstr\t'=SUM(B5:B6)'\t[h]:mm:ss\t1 day, 2:02:05\n"
              "A4\tstr\t'Date'\tGeneral\n"
              "B4\tstr\t'Duration'\tGeneral\n"
              "C4\tstr\t'Type'\tGeneral\n"
              "D4\tstr\t'Name'\tGeneral\n"
              "E4\tstr\t'Phone Num.'\tGeneral\n"
              "F4\tstr\t'Organization'\tGeneral\n"
              "G4\tstr\t'Address'\tGeneral\n"
              "H4\tstr\t'Contents'\tGeneral\n"
              "I4\tstr\t'ETC1'\tGeneral\n"
              "J4\tstr\t'ETC2'\tGeneral\n"
              "K4\tstr\t'Path'\tGeneral\n"
              "A5\tdatetime\t2012-07-31 15:30:12\tyyyy-mm-dd hh:mm:ss\n"
              "B5\ttimedelta\t1:02:05\t[h]:mm:ss\n"
              "C5\tstr\t'Inbound'\tGeneral\n"
              "D5\tstr\t'Kim'\tGeneral\n"
              "E5\tstr\t'0101234567'\tGeneral\n"
              "F5\tstr\t'Tavix'\tGeneral\n"
              "G5\tstr\t'Seoul'\tGeneral\n"
              "H5\tstr\t'Order of 5 boxes\\nCall back Monday'\tGeneral\n"
              "I5\tstr\t'vip'\tGeneral\n"
              "J5\tstr\t'x'\tGeneral\n"
              "K5\tstr\t'/home/kim/db/Kim@20120731153012.ogg'\tGeneral\n"
              "A6\tdatetime\t2012-07-02 09:00:00\tyyyy-mm-dd hh:mm:ss\n"
              "B6\ttimedelta\t1 day, 1:00:00\t[h]:mm:ss\n"
              "C6\tstr\t'Unknown'\tGeneral\n"
              "K6\tstr\t'/home/kim/db/20120702090000.wav'\tGeneral\n"
              "style A4 fill=FFCEFFCE bold=True border=thin/thin/thin/thin\n"
              "style K4 fill=FFCEFFCE bold=True border=thin/thin/thin/thin\n"
              "style A5 fill=00000000 bold=False border=None/None/None/None\n"
              "width 1-11 16.7109375\n");  // the width of 16 characters, with its margin
}

TEST_F(RecordExportTest, AnEmptyListGivesTheTitlesAndNoFormulaAndNoFileIsReplaced) {
    std::string path;
    const std::string sheet = exportAndRead({}, path);
    EXPECT_NE(sheet.find("B2\tint\t0\tGeneral\n"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("B3"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("K4\tstr\t'Path'"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("\nA5\t"), std::string::npos) << sheet;

    // The same period again: a second file beside the first, which is left as it was.
    const std::string before = test::readFile(path);
    std::string second;
    exportAndRead({}, second);
    EXPECT_EQ(second, documents() + "/Ambrin+ 2012-07-01 ~ 2012-07-31 (2).xlsx");
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(filesIn(documents()).size(), 2u);

    // A folder that cannot be written: the export fails and leaves nothing behind.
    ::chmod(documents().c_str(), 0555);
    std::string failed;
    if (::access(documents().c_str(), W_OK) != 0) {  // root may write anyway
        EXPECT_FALSE(exportRecordList(database(), {}, "2012-07-01", "2012-07-31", names,
                                      documents(), failed));
        EXPECT_TRUE(failed.empty());
        EXPECT_EQ(filesIn(documents()).size(), 2u);
    }
    ::chmod(documents().c_str(), 0755);
}

}  // namespace
}  // namespace ambrin
