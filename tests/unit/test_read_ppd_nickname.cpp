// The PPD nickname reader on small PPD texts written to real files.
#include "drivers/drivers.h"
#include "tests/unit/world.h"

namespace {

const char kPrevious[] = "Previous Model";

struct ReaderCase {
    const char* name;
    std::string ppd;
    int result;
    std::string nickName; // kPrevious when the buffer must be left as it was
};

class ReadPpdNickNameTest : public WorldTest, public testing::WithParamInterface<ReaderCase> {};

TEST_P(ReadPpdNickNameTest, FindsTheFirstKeywordRecord)
{
    const ReaderCase& c = GetParam();
    PlacePpd("MODEL.PPD", c.ppd);
    NickNameBuffer nickName;
    snprintf(nickName, sizeof nickName, "%s", kPrevious);

    EXPECT_EQ(ReadPpdNickName((DriverDirectory() + "MODEL.PPD").c_str(), nickName), c.result);
    EXPECT_EQ(std::string(nickName), c.nickName);
    EXPECT_TRUE(fake.BoxTexts().empty()) << "none of these cases has a message of its own";
}

const std::string k300 = std::string(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadPpdNickNameTest,
    testing::Values(
        ReaderCase{"Plain", Ppd("Example Model PS"), 1, "Example Model PS"},
        ReaderCase{"LeadingEmptyLinesAndCrLf", "\r\n\r\n\n\r*NickName: \"Model A\"\r\n", 1, "Model A"},
        ReaderCase{"CrOnlyLineEnds", "*PPD-Adobe: \"4.3\"\r*NickName: \"Model CR\"\r*End\r", 1,
                   "Model CR"},
        ReaderCase{"NoBlankBeforeQuote", "*NickName:\"Tight\"\n", 1, "Tight"},
        ReaderCase{"SeveralBlanksAndTabBeforeQuote", "*NickName: \t  \"Loose\"\n", 1, "Loose"},
        ReaderCase{"IndentedLineIsNoKeyword", " *NickName: \"Indented\"\n*NickName: \"Second\"\n", 1,
                   "Second"},
        ReaderCase{"TabIndentedLineIsNoKeyword", "\t*NickName: \"Indented\"\n", 0, kPrevious},
        ReaderCase{"CapitalKeywordPassesTestFailsValue", "*NICKNAME: \"Caps\"\n*NickName: \"Later\"\n",
                   1, kPrevious},
        ReaderCase{"KeywordFollowedByLetters", "*NickNames: \"Plural\"\n*NickName: \"Later\"\n", 1,
                   kPrevious},
        ReaderCase{"ShortNickNameFirst", "*ShortNickName: \"Short\"\n*NickName: \"Long Name\"\n", 1,
                   "Long Name"},
        ReaderCase{"EmptyValueLeavesBuffer", "*NickName: \"\"\n", 1, kPrevious},
        ReaderCase{"NoClosingQuoteTakesRestOfRecord", "*NickName: \"Open Ended\r\n*End\n", 1,
                   "Open Ended"},
        ReaderCase{"OnlyFirstKeywordCounts", "*NickName: \"First\"\n*NickName: \"Second\"\n", 1,
                   "First"},
        ReaderCase{"LongKeywordLineCutAtRecord",
                   "*NickName: \"" + k300 + "\"\n", 1, std::string(243, 'x')},
        ReaderCase{"KeywordAtByte256OfLongLine",
                   std::string(255, 'a') + "*NickName: \"Split\"\n", 1, "Split"},
        ReaderCase{"KeywordAfterEmbeddedNul", std::string("*Junk\0x\n*NickName: \"After Nul\"\n", 30),
                   1, "After Nul"},
        ReaderCase{"EmptyFile", "", 0, kPrevious},
        ReaderCase{"OnlyLineEnds", "\r\n\n\r", 0, kPrevious},
        ReaderCase{"NoKeywordLine", "*PPD-Adobe: \"4.3\"\n*ModelName: \"M\"\n", 0, kPrevious},
        ReaderCase{"KeywordOnLastLineWithoutLineEnd", "*End\n*NickName: \"Last\"", 1, "Last"}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST_F(WorldTest, ReaderNameAlwaysFitsTheBuffer)
{
    // A value that would fill the line buffer: the name is what the record held, never more.
    PlacePpd("LONG.PPD", "*NickName:\"" + std::string(1000, 'n'));
    NickNameBuffer nickName;
    nickName[255] = '#';
    EXPECT_EQ(ReadPpdNickName((DriverDirectory() + "LONG.PPD").c_str(), nickName), 1);
    EXPECT_EQ(strlen(nickName), 244u);
}

TEST_F(WorldTest, ReaderReportsAFileThatCannotBeOpened)
{
    NickNameBuffer nickName = "kept";
    EXPECT_EQ(ReadPpdNickName((DriverDirectory() + "MISSING.PPD").c_str(), nickName), 0);
    EXPECT_EQ(fake.BoxTexts(), std::vector<std::string>{"No such file or directory"});
    EXPECT_STREQ(nickName, "kept");
}

TEST_F(WorldTest, ReaderReportsAReadError)
{
    // A folder opens for reading on Linux and then fails on the first read.
    std::filesystem::create_directory(DriverDirectory() + "FOLDER.PPD");
    NickNameBuffer nickName = "kept";
    EXPECT_EQ(ReadPpdNickName((DriverDirectory() + "FOLDER.PPD").c_str(), nickName), 0);
    EXPECT_EQ(fake.BoxTexts(), std::vector<std::string>{"Is a directory"});
}

TEST_F(WorldTest, ReaderIgnoresAStaleErrnoAtTheEndOfTheFile)
{
    // An errno left over from an earlier call must not be shown as this file's error.
    PlacePpd("NONAME.PPD", "*PPD-Adobe: \"4.3\"\n");
    NickNameBuffer nickName = "kept";
    errno = EACCES;
    EXPECT_EQ(ReadPpdNickName((DriverDirectory() + "NONAME.PPD").c_str(), nickName), 0);
    EXPECT_TRUE(fake.BoxTexts().empty());
}

} // namespace
