// Rows of a reference table written by a script against an independent
// ephemeris: comma-separated, '#' comments and a "kind,..." header line.
#pragma once

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace skyvane::engine {

// Calls `row` with the cells and line number of each data row that has
// exactly `columns` cells; any other row is a test failure naming its line.
inline void ForEachReferenceRow(const char* path, std::size_t columns,
                                const std::function<void(const std::vector<std::string>&, int)>& row)
{
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (text.empty() || text[0] == '#' || text.rfind("kind,", 0) == 0) continue;
        std::vector<std::string> cells;
        std::stringstream fields(text);
        for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
        if (text.back() == ',') cells.push_back("");  // an empty last cell
        if (cells.size() != columns) {
            ADD_FAILURE() << "line " << line << ": " << text;
            continue;
        }
        row(cells, line);
    }
}

}  // namespace skyvane::engine
