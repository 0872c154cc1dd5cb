#pragma once
// The fixture of the fetch tests: a local archive on 127.0.0.1 and keldar-cli fetch run against it.

#include <gtest/gtest.h>

#include <memory>

#include "LocalArchive.h"

namespace keldar::testing::archive {

class Fetch : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("keldar-fetch-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        archive_ = std::make_unique<LocalArchive>(dir_ / "archive");
        ASSERT_FALSE(archive_->base().empty()) << "the archive server did not start";
        base_ = archive_->base();
    }
    void TearDown() override {
        archive_.reset();
        fs::remove_all(dir_);
    }

    struct Run {
        int status = -1;
        std::string out, err;
    };
    // `prefix` runs before it in the same shell ("ulimit -f 1;").
    Run fetch(const std::string& arguments, const std::string& prefix = {}) {
        const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        const std::string command = prefix + std::string("'") + KELDAR_CLI + "' fetch " + arguments + " --base " + base_ +
                                    " >'" + out.string() + "' 2>'" + err.string() + "'";
        Run r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(out);
        r.err = readFile(err);
        return r;
    }
    std::vector<std::string> listing(const fs::path& d) const {
        std::vector<std::string> names;
        if (!fs::exists(d)) return names;
        for (const auto& e : fs::directory_iterator(d)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string browse(const std::string& volume, int sol, const std::string& id) const {
        return archive_->browse(volume, sol, id);
    }
    void faults(const std::string& json) const { archive_->faults(json); }
    std::string urlPath(const std::string& file) const { return archive_->urlPath(file); }
    fs::path archiveRoot() const { return archive_->root(); }

    fs::path dir_;
    std::unique_ptr<LocalArchive> archive_;
    std::string base_;
};

inline int indexRequests(const std::string& summary) {
    const std::size_t open = summary.find('(');
    return open == std::string::npos ? -1 : std::stoi(summary.substr(open + 1));
}

}  // namespace keldar::testing::archive
