// The archive index: its label and records, the product query, the archive paths, the search of
// a sol's records by position, and the detached label of a fetched product.

#include "core/archive/ArchiveIndex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/archive/ProductSelection.h"
#include "core/imaging/PdsImage.h"

namespace keldar::archive {
namespace {

namespace fs = std::filesystem;
const fs::path kIndex = fs::path(KELDAR_REALDATA_DIR) / "index";

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A small label of the archive's form: three columns of a 60-byte record.
const char* kSmallLabel =
    "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = 60\r\nFILE_RECORDS = 3\r\n"
    "OBJECT = INDEX_TABLE\r\n  ROW_BYTES = 60\r\n  COLUMNS = 3\r\n"
    "  OBJECT = COLUMN\r\n    NAME = PATH_NAME\r\n    DATA_TYPE = CHARACTER\r\n    START_BYTE = 2\r\n    BYTES = 4\r\n"
    "    DESCRIPTION = \"a path,\r\n    over two lines\"\r\n  END_OBJECT = COLUMN\r\n"
    "  OBJECT = COLUMN\r\n    NAME = FILE_NAME\r\n    DATA_TYPE = CHARACTER\r\n    START_BYTE = 9\r\n    BYTES = 36\r\n"
    "  END_OBJECT = COLUMN\r\n"
    "  OBJECT = COLUMN\r\n    NAME = PLANET_DAY_NUMBER\r\n    DATA_TYPE = ASCII_INTEGER\r\n    START_BYTE = 47\r\n"
    "    BYTES = 4\r\n  END_OBJECT = COLUMN\r\nEND_OBJECT = INDEX_TABLE\r\nEND\r\n";

TEST(ArchiveIndexTest, TheRealLabelAndRowReadByTheirPositions) {
    if (!fs::exists(kIndex / "EDRINDEX.LBL")) GTEST_SKIP() << "no real data at " << kIndex;
    const IndexTableResult label = readIndexLabel(readText(kIndex / "EDRINDEX.LBL"));
    ASSERT_TRUE(label.ok()) << label.error;
    EXPECT_EQ(label.table.rowBytes, 933u);
    EXPECT_EQ(label.table.rows, 203550u);
    EXPECT_EQ(label.table.columns.size(), 55u);
    std::string error;
    const std::optional<IndexRow> row =
        IndexRow::parse(label.table, readText(kIndex / "edrindex_row_1P128287181EFF0000P2303L2M1.tab"), error);
    ASSERT_TRUE(row) << error;
    EXPECT_EQ(row->text("PATH_NAME"), "/mer1po_0xxx/data/sol0001/edr/");
    EXPECT_EQ(row->text("FILE_NAME"), "1p128287181eff0000p2303l2m1.img");
    EXPECT_EQ(row->productId(), "1P128287181EFF0000P2303L2M1");
    EXPECT_EQ(row->sol(), 1);
    EXPECT_EQ(row->text("FILTER_NAME"), "PANCAM_L2_753NM");
    EXPECT_NEAR(row->real("EXPOSURE_DURATION").value_or(-1), 220.16, 1e-9);
    EXPECT_EQ(label.table.column("START_TIME")->type, ColumnType::Time);
    EXPECT_EQ(browsePath(1, *row), "opportunity/mer1po_0xxx/browse/sol0001/edr/1p128287181eff0000p2303l2m1.img.jpg");
    EXPECT_EQ(dataPath(1, *row), "opportunity/mer1po_0xxx/data/sol0001/edr/1p128287181eff0000p2303l2m1.img");
    EXPECT_EQ(indexTablePath(1, 'P'), "opportunity/mer1po_0xxx/index/edrindex.tab");

    // The detached label reads back as a PDS label with the row in it.
    const std::string detached = detachedLabel(*row, "1P128287181EFF0000P2303L2M1.JPG");
    const imaging::PdsLabelResult back =
        imaging::readPdsLabel(reinterpret_cast<const std::uint8_t*>(detached.data()), detached.size());
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_NE(back.label.find("", "FILE_NAME"), nullptr);
    EXPECT_EQ(*back.label.find("", "FILE_NAME"), "\"1p128287181eff0000p2303l2m1.img\"");
    EXPECT_EQ(*back.label.find("", "PLANET_DAY_NUMBER"), "1");
}

TEST(ArchiveIndexTest, LabelsThatDoNotDescribeRecordsAreRefused) {
    ASSERT_TRUE(readIndexLabel(kSmallLabel).ok());
    const std::string small = kSmallLabel;
    const struct {
        std::string label;
        const char* said;
    } cases[] = {
        {"not a label", "cannot be read"},
        {std::string(small).replace(small.find("START_BYTE = 47"), 15, "START_BYTE = 59"), "does not lie within"},
        {std::string(small).replace(small.find("PLANET_DAY_NUMBER"), 17, "SOL_NUMBER_OTHER_"), "no column PLANET_DAY_NUMBER"},
        {std::string(small).replace(small.find("RECORD_BYTES = 60"), 17, "RECORD_BYTES = xx").replace(
             small.find("ROW_BYTES = 60"), 14, "ROW_BYTES = 00"),
         "no usable RECORD_BYTES"},
    };
    for (const auto& c : cases) {
        const IndexTableResult r = readIndexLabel(c.label);
        EXPECT_NE(r.error.find(c.said), std::string::npos) << r.error;
    }
    std::string error;
    EXPECT_FALSE(IndexRow::parse(readIndexLabel(kSmallLabel).table, "short", error));
    EXPECT_NE(error.find("ends before"), std::string::npos);
    // A path that would leave the archive has no data path.
    const IndexTable table = readIndexLabel(kSmallLabel).table;
    const std::optional<IndexRow> sneaky = IndexRow::parse(table, "\"../\"  \"x.img\"                                \"0001\"   ", error);
    ASSERT_TRUE(sneaky);
    EXPECT_EQ(dataPath(2, *sneaky), "");
}

TEST(ArchiveIndexTest, TheQueryTakesRoverCamerasSolsEyeAndFilter) {
    const IndexTable table = readIndexLabel(kSmallLabel).table;
    const auto row = [&](const std::string& id, int sol) {
        std::string record(60, ' ');
        record.replace(8, id.size() + 6, "\"" + id + ".img\"");
        record.replace(46, 4, std::to_string(sol));
        std::string error;
        return *IndexRow::parse(table, record, error);
    };
    ProductQuery query;
    query.rover = 2;
    query.cameras = {'N', 'P'};
    query.firstSol = 10;
    query.lastSol = 12;
    query.eye = 'L';
    const struct {
        std::string id;
        int sol;
        bool wanted;
    } cases[] = {
        {"2n127531276eff0300p1512l0m1", 11, true},  {"2p127531276eff0300p1512l4m1", 10, true},
        {"2n127531276eff0300p1512l0m1", 13, false}, {"2n127531276eff0300p1512l0m1", 9, false},
        {"1n127531276eff0300p1512l0m1", 11, false}, {"2f127531276eff0300p1512l0m1", 11, false},
        {"2n127531276eff0300p1512r0m1", 11, false}, {"short", 11, false},
    };
    for (const auto& c : cases) EXPECT_EQ(matches(query, row(c.id, c.sol)), c.wanted) << c.id << " sol " << c.sol;
    // An identifier that could make a path names no product.
    for (const std::string bad : {"2n127531276eff0300p1512l0m1/../x", "../127531276eff0300p1512l0m1"})
        EXPECT_EQ(row(bad, 11).productId(), "") << bad;
    query.filter = '4';
    EXPECT_TRUE(matches(query, row("2p127531276eff0300p1512l4m1", 10)));
    EXPECT_FALSE(matches(query, row("2p127531276eff0300p1512l5m1", 10)));
    EXPECT_EQ(volumeCameras({'F', 'R', 'N', 'F'}), (std::vector<char>{'F', 'N'}));
}

TEST(ArchiveIndexTest, ASolIsFoundByPositionInAboutTwentyReadsAndABrokenOrderIsNoticed) {
    // 500,000 records: 25 per sol from sol 1.
    const std::uint64_t rows = 500000;
    const auto solOf = [](std::uint64_t i) { return static_cast<int>(i / 25) + 1; };
    const struct {
        int sol;
        std::uint64_t first;
    } cases[] = {{1, 0}, {100, 2475}, {20000, 499975}, {30000, 500000}};
    for (const auto& c : cases) {
        const SolStart s = findSolStart(rows, c.sol, [&](std::uint64_t i) -> std::optional<int> { return solOf(i); });
        EXPECT_TRUE(s.orderHolds);
        EXPECT_EQ(s.first, c.first) << c.sol;
        EXPECT_LE(s.reads, 23) << c.sol;
    }
    // A sol with no records: the start is the first record of the sol after it.
    const SolStart none = findSolStart(200, 2, [](std::uint64_t i) -> std::optional<int> { return i < 100 ? 1 : 3; });
    EXPECT_TRUE(none.orderHolds);
    EXPECT_EQ(none.first, 100u);
    // A record out of place where the search looks, a table that ends below where it starts,
    // and a record that cannot be read.
    const std::function<std::optional<int>(std::uint64_t)> broken[] = {
        [&](std::uint64_t i) -> std::optional<int> { return i == 250000 ? 99999 : solOf(i); },
        [&](std::uint64_t i) -> std::optional<int> { return i == rows - 1 ? 0 : solOf(i); },
        [&](std::uint64_t i) -> std::optional<int> { return i == 250000 ? std::nullopt : std::optional<int>(solOf(i)); },
    };
    for (const auto& solAt : broken) EXPECT_FALSE(findSolStart(rows, 100, solAt).orderHolds);
}


TEST(ArchiveIndexTest, TheRealDescentIndexIsCutAtTheStrideItsBytesGiveNotTheLabels) {
    if (!fs::exists(kIndex / "mer1do_0xxx-edrindex.lbl")) GTEST_SKIP() << "no real data at " << kIndex;
    IndexTableResult label = readIndexLabel(readText(kIndex / "mer1do_0xxx-edrindex.lbl"));
    ASSERT_TRUE(label.ok()) << label.error;
    const std::string table = readText(kIndex / "mer1do_0xxx-edrindex.tab");
    EXPECT_EQ(label.table.rowBytes, 773u);
    EXPECT_EQ(label.table.tableFile, "edrindex.tab");
    const RecordStride stride = recordStride(label.table.rowBytes, table);
    ASSERT_TRUE(stride.ok()) << stride.error;
    EXPECT_EQ(stride.stride, 774u);
    label.table.stride = stride.stride;
    const RecordCount counted = recordCount(label.table, table.size());
    EXPECT_EQ(counted.rows, 9u);
    EXPECT_EQ(counted.note, "");
    std::string error;
    const std::optional<IndexRow> row = IndexRow::parse(label.table, std::string_view(table).substr(8 * 774, 774), error);
    ASSERT_TRUE(row) << error;
    EXPECT_EQ(row->productId(), "1E128278513ETH0000F0006N0M1");
    EXPECT_EQ(row->items("ROVER_MOTION_COUNTER"), (std::vector<std::string>{"0", "0", "0", "0", "0"}));
    EXPECT_EQ(row->integer("PIXEL_AVERAGING_WIDTH"), 16);  // a 64-pixel thumbnail of 1024
    // No PATH_NAME or FILE_NAME: the archive's own rule places it.
    EXPECT_EQ(dataPath(1, *row), "opportunity/mer1do_0xxx/data/sol0001/edr/1e128278513eth0000f0006n0m1.img");
    // Cut at the label's length, the second record would start one byte early: refused.
    label.table.stride = 773;
    EXPECT_FALSE(IndexRow::parse(label.table, std::string_view(table).substr(773, 773), error));
}

TEST(ArchiveIndexTest, ALabelWhoseNumbersDisagreeWithTheTableIsCaughtAndNamed) {
    const struct {
        std::size_t label;
        std::string bytes;
        std::size_t stride;  // 0: refused
        const char* said;
    } strides[] = {
        {10, std::string(8, 'x') + "\r\n" + std::string(8, 'y') + "\r\n", 10, ""},
        {10, std::string(9, 'x') + "\r\n", 11, ""},
        {10, std::string(9, 'x') + "\n", 10, ""},
        {10, std::string(11, 'x') + "\r\n", 0, "the index label says records of 10 bytes, but the table's first record is 13"},
        {10, std::string(4, 'x') + "\n", 0, "first record is 5 bytes long"},
        {10, "<!DOCTYPE html>\n<html>", 0, "first record is 16 bytes long"},
        {10, std::string(40, 'x'), 0, "no line end within its first 40 bytes"},
        {10, "xxxx", 0, "ends within its first record"},
    };
    for (const auto& c : strides) {
        const RecordStride r = recordStride(c.label, c.bytes);
        EXPECT_EQ(r.stride, c.stride) << c.bytes;
        EXPECT_NE(r.error.find(c.said), std::string::npos) << r.error;
    }
    const std::string small = kSmallLabel;
    const struct {
        std::string count;  // what FILE_RECORDS says; "" for none
        std::uint64_t tableBytes;
        std::uint64_t rows;
        const char* note;
    } counts[] = {
        {"3", 183, 3, ""},
        {"0", 183, 3, "FILE_RECORDS = 0, but the table's 183 bytes hold 3 records of 61"},
        {"-3", 183, 3, "FILE_RECORDS = -3, but"},
        {"three", 183, 3, "FILE_RECORDS = three, but"},
        {"", 183, 3, "gives no FILE_RECORDS, but"},
        {"2", 183, 3, "FILE_RECORDS = 2, but"},
        {"9", 183, 3, "FILE_RECORDS = 9, but"},
        {"3", 190, 3, "end within a record of 61"},
    };
    for (const auto& c : counts) {
        std::string text = small;
        const std::size_t at = text.find("FILE_RECORDS = 3\r\n");
        text.replace(at, 18, c.count.empty() ? std::string() : "FILE_RECORDS = " + c.count + "\r\n");
        text.replace(text.find("  ROW_BYTES = 60\r\n"), 0, "");
        IndexTableResult label = readIndexLabel(text);
        ASSERT_TRUE(label.ok()) << label.error;
        // ROWS of the table stands in for a FILE_RECORDS that is missing, not for a bad one.
        label.table.stride = 61;
        const RecordCount r = recordCount(label.table, c.tableBytes);
        EXPECT_EQ(r.rows, c.rows) << c.count;
        EXPECT_NE(r.note.find(c.note), std::string::npos) << c.count << ": " << r.note;
        EXPECT_EQ(r.note.empty(), std::string(c.note).empty()) << c.count << ": " << r.note;
    }
}

TEST(ArchiveIndexTest, TheDefaultTypesLeaveOutWhatIsNoPictureAndThumbnailsOfFramesThatAreThere) {
    const IndexTable table = readIndexLabel(kSmallLabel).table;
    const auto row = [&](const std::string& id) {
        std::string record(60, ' ');
        record.replace(8, id.size() + 6, "\"" + id + ".img\"");
        record.replace(46, 4, "12");
        std::string error;
        return *IndexRow::parse(table, record, error);
    };
    const std::vector<IndexRow> rows = {
        row("2n127531276edn0300p1512l0m1"), row("2n127531276eth0300p1512l0m1"), row("2n127531276erp0300p1512l0m1"),
        row("2n127531300eth0300p1512l0m1"),  // a thumbnail alone: all that came down
        row("2n127531300ehg0300p1512l0m1"), row("2n127531276edn0300p1512l0m1"),  // listed twice
    };
    std::string error;
    const struct {
        const char* types;
        std::size_t taken;
        const char* leftOut;
    } cases[] = {{"", 2, "1 EHG, 1 ERP, 1 ETH"}, {"all", 5, ""}, {"eth, EHG", 3, "2 EDN, 1 ERP"}};
    for (const auto& c : cases) {
        const std::optional<TypeChoice> choice = *c.types == 0 ? TypeChoice{} : parseTypeChoice(c.types, error);
        ASSERT_TRUE(choice) << error;
        const ProductSelection s = selectProducts(2, rows, *choice, false);
        EXPECT_EQ(s.rows.size(), c.taken) << c.types;
        EXPECT_EQ(leftOutText(s), c.leftOut) << c.types;
        EXPECT_EQ(s.duplicates, c.taken == 3 ? 0 : 1) << c.types;
    }
    EXPECT_FALSE(parseTypeChoice("EFF,EDNX", error));
    EXPECT_NE(error.find("EDNX"), std::string::npos);
    EXPECT_EQ(nothingListedText(2, {'N'}, 400, 400), "The archive lists no NAVCAM products of Spirit for sol 400.");
    EXPECT_EQ(nothingListedText(1, {'F', 'R', 'P'}, 3, 5), "The archive lists no HAZCAM or PANCAM products of Opportunity for sols 3-5.");
}

}  // namespace
}  // namespace keldar::archive
