#include "ToolRunner.h"

#include "TestPki.h"

#include <gtest/gtest.h>

#include <sstream>

namespace yxtest {

ToolRun tool(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), std::string(YAOXIA_BINARY_DIR) + "/src/app/yaoxia-tool");
    ToolRun r;
    r.status = runCommandFull(args, &r.out, &r.err, input);
    return r;
}

void expectRuns(const std::vector<ToolStep>& steps) {
    for (const ToolStep& step : steps) {
        const ToolRun r = tool(step.args, step.input);
        if (step.status < 0)
            EXPECT_NE(r.status, 0) << step.args[0];
        else
            EXPECT_EQ(r.status, step.status) << step.args[0] << ": " << r.err;
        EXPECT_TRUE(has(r.err, step.err)) << step.args[0] << ": " << r.err;
    }
}

std::vector<std::vector<std::string>> toolRows(const std::string& out) {
    std::vector<std::vector<std::string>> result;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cols;
        std::string col;
        std::istringstream cells(line);
        while (std::getline(cells, col, '\t'))
            cols.push_back(col);
        if (!line.empty() && line.back() == '\t')
            cols.emplace_back();
        result.push_back(cols);
    }
    return result;
}

} // namespace yxtest
