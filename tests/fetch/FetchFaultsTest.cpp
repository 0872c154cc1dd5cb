// keldar-cli fetch against the archive as it really is (the real descent-camera index, byte
// for byte) and against a server that lies: each case must end in what really happened, and
// exit 0 only when what was asked for was fetched.

#include <sys/xattr.h>

#include "FetchFixture.h"

namespace {

using namespace keldar::testing::archive;

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
}

// The times, in seconds, of the requests of one path, from the server's log.
std::vector<double> requestTimes(const std::string& log, const std::string& path) {
    std::vector<double> times;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("GET " + path + " ", 0) != 0) continue;
        const std::size_t tab = line.find('\t');
        times.push_back(std::stod(line.substr(tab + 1)));
    }
    return times;
}

TEST_F(Fetch, TheRealDescentIndexIsReadAsItIsAndGivesThePicturesAUserWants) {
    const fs::path real = fs::path(KELDAR_REALDATA_DIR) / "index";
    if (!archive_->addRealDescentVolume(real)) GTEST_SKIP() << "no real index at " << real;
    // By default: the three downsampled frames; their thumbnails and reference pixels are left out.
    const fs::path out = dir_ / "descent";
    const Run r = fetch("opportunity 1 '" + out.string() + "' --camera descent");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out.rfind("3 fetched, 0 skipped, 0 failed, 0 dropped, 6 left out by type (3 ERP, 3 ETH)", 0), 0u) << r.out;
    const std::string id = "1E128278505EDN0000F0006N0M1";
    EXPECT_EQ(readFile(out / (id + ".JPG")),
              readFile(archiveRoot() / "opportunity/mer1do_0xxx/browse/sol0001/edr" / (lower(id) + ".img.jpg")));
    const std::string label = readFile(out / (id + ".LBL"));
    EXPECT_NE(label.find("ROVER_MOTION_COUNTER          = (0, 0, 0, 0, 0)"), std::string::npos) << label;
    EXPECT_NE(label.find("LOCAL_TRUE_SOLAR_TIME         = \"13:11:46\""), std::string::npos) << label;
    // The table was fetched by the label's name in lower case.
    EXPECT_NE(archive_->requests().find("GET /opportunity/mer1do_0xxx/index/edrindex.tab bytes="), std::string::npos);

    // Every row, as EDRs, at the paths the archive's rules give (the index has no PATH_NAME).
    const Run all = fetch("opportunity 1 '" + (dir_ / "all").string() + "' --camera descent --types all --edr");
    ASSERT_EQ(all.status, 0) << all.out << all.err;
    EXPECT_EQ(all.out.rfind("9 fetched, 0 skipped, 0 failed, 0 dropped", 0), 0u) << all.out;
    EXPECT_TRUE(fs::exists(dir_ / "all" / "1E128278513ERP0000F0006N0M1.IMG"));
    const Run some = fetch("opportunity 1 '" + (dir_ / "some").string() + "' --camera descent --types eth");
    EXPECT_EQ(some.out.rfind("3 fetched, 0 skipped, 0 failed, 0 dropped, 6 left out by type (3 EDN, 3 ERP)", 0), 0u) << some.out;
    // A sol the index does not list is said so.
    const Run none = fetch("opportunity 2 '" + (dir_ / "none").string() + "' --camera descent");
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_NE(none.out.find("The archive lists no descent camera products of Opportunity for sol 2."), std::string::npos) << none.out;
    EXPECT_FALSE(fs::exists(dir_ / "none"));
}

TEST_F(Fetch, AnIndexThatIsNotWhatItSaysIsAFailureInWords) {
    const std::string table = urlPath((archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.tab").string());
    const std::string label = urlPath((archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl").string());
    const struct {
        std::string faults;
        const char* said;
    } cases[] = {
        {"{\"html\": {\"" + label + "\": 1}}", "cannot be read"},
        {"{\"html\": {\"" + table + "\": 1}}", "web page"},
        {"{\"cut\": {\"" + table + "\": 5000}}", "ended after 5000 of its"},
        {"{\"status\": {\"" + label + "\": 403}}", "refused (HTTP 403)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        faults(c.faults);
        const fs::path out = dir_ / "lied";
        const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("Nothing was fetched"), std::string::npos) << r.out;
        EXPECT_FALSE(fs::exists(out));
    }
    // A 403 is not asked again.
    EXPECT_EQ(count(archive_->requests(), "GET " + label + " "), 1u + 1u + 1u + 1u);

    // A server that lies about ranges is not believed: the index is read whole instead.
    faults("{\"range_lie\": {\"" + table + "\": 1}}");
    const Run lied = fetch("spirit 77 '" + (dir_ / "whole").string() + "' --camera navcam");
    EXPECT_EQ(lied.status, 0) << lied.err;
    EXPECT_EQ(lied.out.rfind("4 fetched", 0), 0u) << lied.out;
    EXPECT_NE(lied.out.find("the index read whole"), std::string::npos) << lied.out;

    // A table shorter than the first block asked for is whole as it is.
    {
        faults("{}");
        const fs::path volume = archiveRoot() / "spirit/mer2no_0xxx/index";
        const std::string text = readFile(volume / "edrindex.lbl"), whole = readFile(volume / "edrindex.tab");
        std::string four;
        for (int k = 0; k < 4; ++k) four += record("mer2no_0xxx", idFor('N', 77, k), 77);
        writeFile(volume / "edrindex.tab", four);
        const std::size_t at = text.find("FILE_RECORDS = ");
        writeFile(volume / "edrindex.lbl", text.substr(0, at) + "FILE_RECORDS = 4" + text.substr(text.find("\r\n", at)));
        const Run r = fetch("spirit 77 '" + (dir_ / "short").string() + "' --camera navcam");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.rfind("4 fetched", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find("read whole"), std::string::npos) << r.out;
        writeFile(volume / "edrindex.tab", whole);
        writeFile(volume / "edrindex.lbl", text);
    }
    // A label that miscounts its records is told, and the table's own size is used.
    for (const std::string said : {"0", "-4", "many", "5"}) {
        faults("{}");
        const std::string text = readFile(archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl");
        const std::size_t at = text.find("FILE_RECORDS = ");
        writeFile(archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl",
                  text.substr(0, at) + "FILE_RECORDS = " + said + text.substr(text.find("\r\n", at)));
        const Run r = fetch("spirit 300 '" + (dir_ / ("count" + said)).string() + "' --camera navcam");
        EXPECT_EQ(r.status, 0) << said << r.err;
        EXPECT_EQ(r.out.rfind("4 fetched", 0), 0u) << said << r.out;
        EXPECT_NE(r.err.find("FILE_RECORDS = " + said + ", but the table's"), std::string::npos) << r.err;
        writeFile(archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl", text);
    }
}

TEST_F(Fetch, RowsThatNameNoSafeFileAreDroppedAndARepeatedProductComesOnce) {
    const fs::path tablePath = archiveRoot() / "spirit/mer2po_0xxx/index/edrindex.tab";
    std::string table = readFile(tablePath);
    const std::string good = record("mer2po_0xxx", idFor('P', 77, 0), 77);
    std::string outside = record("mer2po_0xxx", idFor('P', 77, 2), 77);
    outside.replace(outside.find("/mer2po_0xxx/data"), 17, "/../../../../etc/");
    std::string badId = record("mer2po_0xxx", idFor('P', 77, 0), 77);
    badId.replace(badId.find(idFor('P', 77, 0), 60), 27, "2P12.../...EFF0300P1512L2M1");
    table += good + outside + badId;
    writeFile(tablePath, table);
    const std::string label = readFile(archiveRoot() / "spirit/mer2po_0xxx/index/edrindex.lbl");
    const std::size_t at = label.find("FILE_RECORDS = ") + 15;
    const std::size_t rows = table.size() / recordLength();
    writeFile(archiveRoot() / "spirit/mer2po_0xxx/index/edrindex.lbl",
              label.substr(0, at) + std::to_string(rows) + label.substr(label.find("\r\n", at)));

    const Run r = fetch("spirit 77 '" + (dir_ / "p").string() + "' --camera pancam --edr");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the index read whole"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("4 fetched, 0 skipped, 0 failed, 2 dropped", 0), 0u) << r.out;
    EXPECT_NE(r.err.find("dropped " + idFor('P', 77, 2) + ": its index row gives a path outside the archive"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("dropped an index row whose PRODUCT_ID \"2P12.../...EFF0300P1512L2M1\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1 index rows repeat a product"), std::string::npos) << r.err;
    EXPECT_EQ(count(archive_->requests(), "/data/sol0077/edr/" + lower(idFor('P', 77, 0))), 1u);

    // Records that cannot be read: a few are passed over and named, more make the index unbelievable.
    std::string garbled = good;
    garbled.replace(garbled.find("77   "), 5, "77x  ");
    for (const int garbles : {2, 6}) {
        std::string more = table;
        for (int i = 0; i < garbles; ++i) more += garbled;
        writeFile(tablePath, more);
        writeFile(archiveRoot() / "spirit/mer2po_0xxx/index/edrindex.lbl",
                  label.substr(0, at) + std::to_string(rows + garbles) + label.substr(label.find("\r\n", at)));
        const Run g = fetch("spirit 77 '" + (dir_ / ("g" + std::to_string(garbles))).string() + "' --camera pancam --edr");
        EXPECT_EQ(g.status, garbles > 5 ? 1 : 0) << g.err;
        EXPECT_NE(g.err.find(std::to_string(garbles) + " index records cannot be read"), std::string::npos) << g.err;
        EXPECT_NE(g.err.find("PLANET_DAY_NUMBER is not a number"), std::string::npos) << g.err;
    }
}

TEST_F(Fetch, TransfersThatStallRedirectOrAreRefusedEndAsTheyShould) {
    const std::string first = urlPath(browse("mer2no_0xxx", 77, idFor('N', 77, 0)));
    const std::string second = urlPath(browse("mer2no_0xxx", 77, idFor('N', 77, 1)));
    const std::string third = urlPath(browse("mer2no_0xxx", 77, idFor('N', 77, 2)));
    const std::string fourth = urlPath(browse("mer2no_0xxx", 77, idFor('N', 77, 3)));
    faults("{\"status\": {\"" + first + "\": 403}, \"drip\": {\"" + second + "\": 200}, \"redirect\": {\"" + third + "\": \"" +
           third + "\"}, \"retry_after\": {\"" + fourth + "\": [1, 1, 503]}}");
    const Run r = fetch("spirit 77 '" + (dir_ / "n").string() + "' --camera navcam --stall-seconds 1");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.rfind("1 fetched, 0 skipped, 3 failed", 0), 0u) << r.out << r.err;
    EXPECT_NE(r.err.find(idFor('N', 77, 0) + ".JPG: refused (HTTP 403)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(idFor('N', 77, 1) + ".JPG: the transfer stalled"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(idFor('N', 77, 2) + ".JPG: more than 5 redirects"), std::string::npos) << r.err;
    const std::string log = archive_->requests();
    EXPECT_EQ(count(log, "GET " + first + " "), 1u) << "a 403 is not asked again";
    // The chain is followed to its limit and not tried again as a whole: five tries would be 30
    // requests (a connection the server dropped along the chain may be asked once more).
    EXPECT_LE(count(log, "GET " + third + " "), 12u);
    // The 503 asked for a second's pause, and had it.
    const std::vector<double> times = requestTimes(log, fourth);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1] - times[0], 0.95);
    EXPECT_NE(log.find("\tKeldar/"), std::string::npos) << "the User-Agent says who asks";
    for (const std::string& name : listing(dir_ / "n")) {
        const bool part = name.size() > 5 && name.substr(name.size() - 5) == ".part";
        EXPECT_TRUE(!part || fs::file_size(dir_ / "n" / name) > 0) << name;
    }
}

TEST_F(Fetch, AnswersLargerThanTheyMayBeAreCutOffWhileTheyStream) {
    const std::string id = idFor('N', 77, 0), slow = idFor('N', 77, 1), ftp = idFor('N', 77, 2), gzip = idFor('N', 77, 3);
    // The row says 48 x 32 pixels: 3 MB is not that picture.
    writeFile(browse("mer2no_0xxx", 77, id), std::string(3 << 20, 'x'));
    faults("{\"drip\": {\"" + urlPath(browse("mer2no_0xxx", 77, slow)) + "\": 1500}, \"redirect\": {\"" +
           urlPath(browse("mer2no_0xxx", 77, ftp)) + "\": \"ftp://127.0.0.1/x.jpg\"}, \"encoded\": {\"" +
           urlPath(browse("mer2no_0xxx", 77, gzip)) + "\": 1}}");
    const Run r = fetch("spirit 77 '" + (dir_ / "big").string() + "' --camera navcam --give-up-seconds 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(id + ".JPG: the answer of 3.1 MB is larger than the 2.1 MB it may be"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(slow + ".JPG: gave up after 1 s"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(ftp + ".JPG: redirected to ftp://127.0.0.1/x.jpg, which is not an http or https address"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find(gzip + ".JPG: the server sent the answer encoded as gzip"), std::string::npos) << r.err;
    for (const std::string& once : {ftp, gzip}) EXPECT_EQ(count(archive_->requests(), lower(once)), 1u) << once;
    // A label far larger than any index label is not read to its end.
    writeFile(archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl", std::string(5 << 20, ' '));
    const Run label = fetch("spirit 77 '" + (dir_ / "label").string() + "' --camera navcam");
    EXPECT_EQ(label.status, 1);
    EXPECT_NE(label.err.find("is larger than the 4.2 MB it may be"), std::string::npos) << label.err;
}

TEST_F(Fetch, ASilentServerCostsOneWaitAndAMirrorWithoutTheRoverFolderServes) {
    const std::string label = urlPath((archiveRoot() / "spirit/mer2no_0xxx/index/edrindex.lbl").string());
    faults("{\"silent\": {\"" + label + "\": 1}}");
    const auto started = std::chrono::steady_clock::now();
    const Run r = fetch("spirit 77 '" + (dir_ / "s").string() + "' --camera navcam --camera pancam --stall-seconds 1");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("sent nothing for 1 s"), std::string::npos) << r.err;
    EXPECT_LT(seconds, 4.0) << "one wait, not one per try or per volume";
    EXPECT_EQ(count(archive_->requests(), "GET "), 1u) << archive_->requests();

    // The archive's second address form: volumes straight under the base.
    faults("{}");
    fs::rename(archiveRoot() / "spirit" / "mer2no_0xxx", archiveRoot() / "mer2no_0xxx");
    const Run second = fetch("spirit 77 '" + (dir_ / "m").string() + "' --camera navcam");
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out.rfind("4 fetched", 0), 0u) << second.out;
}

TEST_F(Fetch, ResumesAskOnlyForTheSameFileAndRangesMustBeTheOnesAskedFor) {
    const std::string id = idFor('N', 77, 0);
    const std::string path = urlPath(browse("mer2no_0xxx", 77, id));
    const std::string whole = readFile(browse("mer2no_0xxx", 77, id));
    // A part left by an earlier run of a file that has changed since: it starts over.
    const fs::path out = dir_ / "r";
    writeFile(out / ("." + id + ".JPG.part"), whole.substr(0, 100) + "stale bytes");
    const std::string stale = "\"stale\"";
    if (::setxattr((out / ("." + id + ".JPG.part")).c_str(), "user.keldar.validator", stale.data(), stale.size(), 0) != 0)
        GTEST_SKIP() << "this file system keeps no extended attributes";
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam --jobs 1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(out / (id + ".JPG")), whole);
    EXPECT_NE(archive_->requests().find("GET " + path + " bytes=111-\t"), std::string::npos);
    EXPECT_NE(archive_->requests().find("\t\"stale\"\n"), std::string::npos) << "If-Range sent";

    // A server that answers a resume with other bytes: never appended.
    faults("{\"drop\": {\"" + path + "\": 300}, \"range_lie\": {\"" + path + "\": 1}}");
    const Run lied = fetch("spirit 77 '" + (dir_ / "l").string() + "' --camera navcam --jobs 1");
    EXPECT_EQ(lied.status, 1);
    EXPECT_NE(lied.err.find(id + ".JPG: the server sent \"bytes 0-"), std::string::npos) << lied.err;
    EXPECT_EQ(fs::file_size(dir_ / "l" / ("." + id + ".JPG.part")), 300u);
    EXPECT_FALSE(fs::exists(dir_ / "l" / (id + ".JPG")));
}

TEST_F(Fetch, DiskFaultsAreNamedAsSuchAndNotTriedAgain) {
    // A directory that cannot be made, or written: said before the index is asked.
    writeFile(dir_ / "file", "in the way");
    const Run blocked = fetch("spirit 77 '" + (dir_ / "file" / "sub").string() + "' --camera navcam");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("cannot create the directory " + (dir_ / "file" / "sub").string() + ": Not a directory"),
              std::string::npos) << blocked.err;
    if (::getuid() != 0) {
        fs::create_directories(dir_ / "ro");
        fs::permissions(dir_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        const Run ro = fetch("spirit 77 '" + (dir_ / "ro").string() + "' --camera navcam");
        EXPECT_NE(ro.err.find("cannot write into the directory"), std::string::npos) << ro.err;
        fs::permissions(dir_ / "ro", fs::perms::owner_all);
    }
    EXPECT_EQ(archive_->requests(), "") << "nothing asked of the archive";

    // Files may not grow past 1 KB here: the first product cannot be written, and the rest is
    // not fetched to be thrown away.
    const Run full = fetch("spirit 77 '" + (dir_ / "full").string() + "' --camera navcam --jobs 1", "ulimit -f 2; ");
    EXPECT_EQ(full.status, 1) << full.out;
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    EXPECT_NE(full.err.find("not tried: cannot write"), std::string::npos) << full.err;
    EXPECT_EQ(count(archive_->requests(), "/browse/sol0077/"), 1u) << archive_->requests();

    // A label that cannot be written makes the product a failure, kept out of place.
    const std::string id = idFor('N', 77, 0);
    fs::create_directories(dir_ / "lbl" / (id + ".LBL") / "in-the-way");
    const Run label = fetch("spirit 77 '" + (dir_ / "lbl").string() + "' --camera navcam");
    EXPECT_EQ(label.status, 1);
    EXPECT_EQ(label.out.rfind("3 fetched, 0 skipped, 1 failed", 0), 0u) << label.out;
    EXPECT_NE(label.err.find(id + ".JPG: its label cannot be written"), std::string::npos) << label.err;
    EXPECT_FALSE(fs::exists(dir_ / "lbl" / (id + ".JPG")));
}

}  // namespace
