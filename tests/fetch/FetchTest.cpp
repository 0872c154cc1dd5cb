// keldar-cli fetch against a local stand-in for the archive (archive_server.py on 127.0.0.1):
// the index search, the products and their labels, resumed and retried transfers, what is
// refused and kept, and a stop by SIGINT.

#include "FetchFixture.h"

namespace {

using namespace keldar::testing::archive;

TEST_F(Fetch, ASolAtTheStartMiddleAndEndIsFoundByRangeRequestsAndFetchedWithLabels) {
    for (const int sol : {1, 77, 300}) {
        SCOPED_TRACE(sol);
        const fs::path out = dir_ / ("sol" + std::to_string(sol));
        const Run r = fetch("spirit " + std::to_string(sol) + " '" + out.string() + "' --camera navcam");
        ASSERT_EQ(r.status, 0) << r.err << r.out;
        EXPECT_EQ(r.out.rfind("4 fetched, 0 skipped, 0 failed", 0), 0u) << r.out;
        EXPECT_LE(indexRequests(r.out), 30) << r.out;
        EXPECT_EQ(r.out.find("read whole"), std::string::npos);
        std::vector<std::string> expected;
        for (int k = 0; k < 4; ++k) {
            const std::string id = idFor('N', sol, k);
            expected.push_back(id + ".JPG");
            expected.push_back(id + ".LBL");
            EXPECT_EQ(readFile(out / (id + ".JPG")), readFile(browse("mer2no_0xxx", sol, id)));
            const std::string label = readFile(out / (id + ".LBL"));
            EXPECT_NE(label.find("PLANET_DAY_NUMBER             = " + std::to_string(sol)), std::string::npos) << label;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listing(out), expected);
    }
    // The label shows through keldar-cli label, as the workbench's label page reads it.
    const std::string id = idFor('N', 77, 0);
    const std::string shown = std::string("'") + KELDAR_CLI + "' label '" + (dir_ / "sol77" / (id + ".LBL")).string() + "'";
    FILE* pipe = ::popen(shown.c_str(), "r");
    std::string text;
    for (char buffer[512]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) text += buffer;
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_NE(text.find(id), std::string::npos) << text;

    // A sol without products is said in words, and the directory made for it goes again.
    const Run none = fetch("spirit 150 '" + (dir_ / "none" / "sol150").string() + "' --camera navcam");
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out.rfind("0 fetched, 0 skipped, 0 failed, 0 dropped", 0), 0u) << none.out;
    EXPECT_NE(none.out.find("The archive lists no NAVCAM products of Spirit for sol 150."), std::string::npos) << none.out;
    EXPECT_FALSE(fs::exists(dir_ / "none"));
    // A second run finds everything in place.
    const Run again = fetch("spirit 77 '" + (dir_ / "sol77").string() + "' --camera navcam");
    EXPECT_EQ(again.out.rfind("0 fetched, 4 skipped, 0 failed", 0), 0u) << again.out;
}

TEST_F(Fetch, AnIndexOutOfOrderIsReadWholeAndEdrsAndArchiveNamesAreKept) {
    // The index read whole breaks off once: the rest is asked for and the records still come.
    const std::string table = (archiveRoot() / "spirit/mer2po_0xxx/index/edrindex.tab").string();
    faults("{\"drop\": {\"" + urlPath(table) + "\": 50000}}");
    const fs::path out = dir_ / "pancam";
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera pancam --eye left --edr --archive-names");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the index read whole"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("2 fetched, 0 skipped, 0 failed", 0), 0u) << r.out;
    const std::string id = idFor('P', 77, 0);
    EXPECT_TRUE(fs::exists(out / (lower(id) + ".img")));
    EXPECT_TRUE(fs::exists(out / (lower(id) + ".lbl")));
    EXPECT_FALSE(fs::exists(out / (lower(idFor('P', 77, 1)) + ".img"))) << "a right eye";
    EXPECT_NE(readFile(archiveRoot() / ".requests.log").find("GET " + urlPath(table) + " bytes=50000-"),
              std::string::npos);
    // The volume searched by position keeps its rows when the next one is read whole.
    const Run both = fetch("spirit 77 '" + (dir_ / "both").string() + "' --camera navcam --camera pancam --eye left");
    EXPECT_EQ(both.out.rfind("4 fetched, 0 skipped, 0 failed", 0), 0u) << both.out << both.err;
}

TEST_F(Fetch, ABrokenTransferResumesAndPassingFailuresAreRetried) {
    const std::string id = idFor('N', 77, 0), other = idFor('N', 77, 2);
    faults("{\"drop\": {\"" + urlPath(browse("mer2no_0xxx", 77, id)) + "\": 300}, \"fail\": {\"" +
           urlPath(browse("mer2no_0xxx", 77, other)) + "\": 3}}");
    const fs::path out = dir_ / "retried";
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam --jobs 1");
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(readFile(out / (id + ".JPG")), readFile(browse("mer2no_0xxx", 77, id)));
    EXPECT_EQ(readFile(out / (other + ".JPG")), readFile(browse("mer2no_0xxx", 77, other)));
    const std::string log = readFile(archiveRoot() / ".requests.log");
    EXPECT_NE(log.find("GET " + urlPath(browse("mer2no_0xxx", 77, id)) + " bytes=300-"), std::string::npos) << log;
}

TEST_F(Fetch, FailuresAreNamedAndNothingIsLeftUnderAFinalNameOrReplaced) {
    const std::string failing = idFor('N', 77, 0), cut = idFor('N', 77, 1), mine = idFor('N', 77, 2);
    faults("{\"fail\": {\"" + urlPath(browse("mer2no_0xxx", 77, failing)) + "\": 100}}");
    const std::string whole = readFile(browse("mer2no_0xxx", 77, cut));
    writeFile(browse("mer2no_0xxx", 77, cut), whole.substr(0, whole.size() / 2));
    const fs::path out = dir_ / "failed";
    writeFile(out / (mine + ".JPG"), "my own file");
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.rfind("1 fetched, 1 skipped, 2 failed", 0), 0u) << r.out;
    EXPECT_NE(r.err.find(failing + ".JPG: HTTP 500"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(cut + ".JPG: not a whole JPEG"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out / (failing + ".JPG")));
    EXPECT_FALSE(fs::exists(out / (cut + ".JPG")));
    EXPECT_EQ(readFile(out / (mine + ".JPG")), "my own file");
}

TEST_F(Fetch, SigintStopsWithNoPartialFileUnderItsFinalName) {
    faults("{\"latency_ms\": 400}");
    const fs::path out = dir_ / "stopped";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen((dir_ / "stdout.txt").c_str(), "w", stdout);
        std::freopen((dir_ / "stderr.txt").c_str(), "w", stderr);
        ::execl(KELDAR_CLI, KELDAR_CLI, "fetch", "spirit", "77", out.c_str(), "--camera", "navcam", "--base",
                base_.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Stopped once it has asked for a product.
    for (int i = 0; i < 400 && readFile(archiveRoot() / ".requests.log").find("/browse/") == std::string::npos; ++i)
        ::usleep(25000);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    for (const std::string& name : listing(out)) EXPECT_EQ(name.front(), '.') << name;
}

TEST_F(Fetch, UsageErrors) {
    for (const char* arguments : {"mars 1 d", "spirit x d", "spirit 5..2 d", "spirit 1 d --camera zoom", "spirit 1"}) {
        const Run r = fetch(arguments);
        EXPECT_EQ(r.status, 2) << arguments;
    }
}

}  // namespace

// The README's example of spreading the work over machines with GNU parallel, run with this
// machine as the only host.
TEST_F(Fetch, TheReadmesParallelExampleRunsOnThisMachine) {
    if (std::system("command -v parallel >/dev/null 2>&1") != 0) GTEST_SKIP() << "GNU parallel is not installed";
    const std::string cli = KELDAR_CLI;
    const std::string command = "cd '" + dir_.string() + "' && printf '1\\n77\\n300\\n' | parallel --will-cite -S : --jobs 2 " +
                                "--return anaglyphs-{} '" + cli + " fetch spirit {} sol-{} --camera navcam --base " + base_ +
                                " && " + cli + " anaglyphs sol-{} anaglyphs-{}' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const int sol : {1, 77, 300}) {
        const std::vector<std::string> made = listing(dir_ / ("anaglyphs-" + std::to_string(sol)));
        ASSERT_EQ(made.size(), 2u) << sol;
        EXPECT_EQ(made[0], idFor('N', sol, 0) + "-B30C16M50-01.jpg");
    }
}
