#include "SecLog.h"
#include "TestPki.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using yxtest::ScopedDataRoot;

namespace {

std::vector<std::string> logLines() {
    const auto bytes = yxtest::readFile(CSecLog::logFilePath());
    std::vector<std::string> lines;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(SecLog, DefaultLevelIsErrorAndHigherLevelsAreFilteredOut) {
    ScopedDataRoot root;
    CSecLog log;
    EXPECT_EQ(log.GetLogLevel(), SEC_LOG_ERROR);
    log.Log(SEC_LOG_DEBUG, 1, "f", "debug hidden");
    log.Log(SEC_LOG_WARN, 2, "f", "warn hidden");
    EXPECT_TRUE(logLines().empty());

    log.SetLogLevel(SEC_LOG_DEBUG);
    log.Log(SEC_LOG_DEBUG, 3, "f", "debug shown");
    log.Log(SEC_LOG_NONE, 4, "f", "never");
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("[DEBUG] f:3 debug shown"), std::string::npos);

    log.SetLogLevel(SEC_LOG_NONE);
    log.Log(SEC_LOG_ERROR, 5, "f", "silenced");
    EXPECT_EQ(logLines().size(), 1u);
}

TEST(SecLog, LinesOfSeveralProcessesNeverInterleave) {
    ScopedDataRoot root;
    constexpr int kProcs = 4, kLines = 200;
    const std::string payload(300, 'p');
    ASSERT_TRUE(yxtest::inChildProcesses(kProcs, [&payload](int p) {
        CSecLog log;
        for (int i = 0; i < kLines; ++i)
            log.Log(SEC_LOG_ERROR, i, "proc", "%d %s end", p, payload.c_str());
        return true;
    }));
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kProcs * kLines));
    const std::regex whole(R"(^.{19} \[ERROR\] proc:\d+ [0-3] p{300} end$)");
    for (const auto& line : lines)
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

TEST(SecLog, FullFileIsRotatedSoTheLogStaysBounded) {
    ScopedDataRoot root;
    CSecLog log;
    log.Log(SEC_LOG_ERROR, 1, "DigitalCertificate", "first");
    const std::string path = CSecLog::logFilePath();
    // Grow the file past its limit as many list loads would.
    yxtest::writeFile(root.path() + "/log", "yaoxia.log", std::string((1 << 20) + 10, 'x'));
    log.Log(SEC_LOG_ERROR, 2, "DigitalCertificate", "crosses the limit");
    log.Log(SEC_LOG_ERROR, 3, "DigitalCertificate", "after rotation");
    const auto old = yxtest::readFile(path + ".1");
    EXPECT_GE(old.size(), static_cast<size_t>(1 << 20));
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("after rotation"), std::string::npos);
}
