#pragma once
// A short C++ text under an edit control with the shipped C++ schema: two functions and a
// comment, for tests that plan or print its rows.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "editor/EditorTesting.h"
#include "editor/ScreenPlanner.h"
#include "parser/ParseTesting.h"

struct Screen {
    Screen()
        : buffer(BufferWith({L"int f() {", L"    /* note */ return 1;", L"}", L"int g() {", L"    return 2;",
                             L"}", L"// end"},
                            L".cpp")),
          core(window, buffer, nullptr) {
        EXPECT_TRUE(core.GetParser().SetTextSchema(ShippedSchema(L"cpp.pws").get()));
    }
    std::vector<PlannedRow> Plan(std::function<RowSelection(int)> selection = nullptr) {
        PaintRequest request;
        request.selection = std::move(selection);
        request.colors.text = {0x010101, kColorNotSet};
        request.colors.back = {0x020202, kColorNotSet};
        request.screenRows = 10;
        return ScreenPlanner(core).Plan(request);
    }
    CollapsibleBlock BlockOn(int row) {
        std::vector<CollapsibleBlock> blocks;
        core.GetParser().GetCurrentSchema()->GetCollapsibleBlocks(row, blocks, nullptr);
        EXPECT_FALSE(blocks.empty());
        return blocks.empty() ? CollapsibleBlock{} : blocks.front();
    }
    QuietWindow window;
    Buffer buffer;
    EditorCore core;
};
