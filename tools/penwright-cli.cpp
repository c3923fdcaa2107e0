// penwright-cli: the portable core from the command line.
//   penwright-cli expand FILE [--tab N]   the text with tabs expanded to the buffer's tab stops
//   penwright-cli stats FILE [--tab N]    rows, characters and the widest row in display columns
// FILE is read as UTF-8 (a leading byte-order mark is skipped).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "buffer/BufferManager.h"
#include "platform/CodePage.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "penwright-cli: %s\n", message.c_str());
    return 2;
}

bool Load(const char* path, CQELPenwrightBufferManager& buffer, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("cannot open ") + path;
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::wstring text;
    if (!pw::Utf8ToUtf16(bytes, text)) {
        error = std::string(path) + " is not UTF-8 text";
        return false;
    }
    buffer.InsertText(text, 1, 1, false);
    return true;
}

// The row with each tab replaced by the blanks up to the next tab stop.
std::wstring Expanded(const CQELPenwrightBufferManager& buffer, int row) {
    std::wstring text = buffer.GetLineText(row), out;
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        if (text[i] == L'\t') {
            out.append(buffer.CharIndexToDisplayCol(row, i + 1) - buffer.CharIndexToDisplayCol(row, i), L' ');
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2) return Fail("usage: penwright-cli expand|stats FILE [--tab N]");
    const std::string& command = args[0];
    int tab = 4;
    for (size_t i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] != "--tab") return Fail("unknown option " + args[i]);
        tab = std::atoi(args[i + 1].c_str());
    }
    pw::RefPtr<CQELPenwrightBufferManager> buffer(new CQELPenwrightBufferManager);
    if (!buffer->SetTabSize(tab, false)) return Fail("the tab size must be 1 to 256");
    std::string error;
    if (!Load(args[1].c_str(), *buffer, error)) return Fail(error);

    if (command == "expand") {
        for (int row = 1; row <= buffer->GetRowCount(); ++row) {
            std::string line;
            pw::Utf16ToUtf8(Expanded(*buffer, row), line);
            // Rows are separated, not terminated, by line ends: the output ends as the file did.
            if (row > 1) std::fputc('\n', stdout);
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    } else if (command == "stats") {
        long long chars = 0;
        int widest = 0, widestRow = 0;
        for (int row = 1; row <= buffer->GetRowCount(); ++row) {
            int length = buffer->GetLineTextLength(row);
            chars += length;
            int width = buffer->CharIndexToDisplayCol(row, length) - 1;
            if (width > widest) widest = width, widestRow = row;
        }
        std::printf("rows %d\ncharacters %lld\nwidest row %d (%d columns at tab size %d)\n",
                    buffer->GetRowCount(), chars, widestRow, widest, buffer->GetTabSize());
    } else {
        return Fail("unknown command " + command);
    }
    buffer->Close();
    return 0;
}
