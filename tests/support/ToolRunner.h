// Runs the built yaoxia-tool as a separate process (the environment, YAOXIA_HOME included, is
// inherited) and splits its tab-separated output.
#pragma once

#include <string>
#include <vector>

namespace yxtest {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun tool(std::vector<std::string> args, const std::string& input = "");

// One vector of cells per output line; a trailing tab gives a trailing empty cell.
std::vector<std::vector<std::string>> toolRows(const std::string& out);

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One run and what it must give: its exit status (-1: any failure) and a part of its stderr.
struct ToolStep {
    std::vector<std::string> args;
    int status = 0;
    std::string err;
    std::string input;
};
// Runs the steps in order and checks each.
void expectRuns(const std::vector<ToolStep>& steps);

} // namespace yxtest
