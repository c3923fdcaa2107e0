// penwright-cli: the portable core from the command line.
//   penwright-cli expand FILE [--tab N]   the text with tabs expanded to the buffer's tab stops
//   penwright-cli stats FILE [--tab N]    rows, characters and the widest row in display columns
//   penwright-cli blocks FILE [--ext EXT] the parse result, one block a line, indented by nesting
//   penwright-cli highlight FILE [--theme NAME] [--ext EXT] [--html | --ansi]
//                                         the text coloured as the editor colours it: colour
//                                         escapes on a terminal, else an HTML page; without
//                                         --theme the configuration's current or first theme
//   penwright-cli schemes                 the configured schemes and themes
// --config FILE chooses the configuration (default: the shipped one). Text files are read as the
// editor reads them (UTF-16 with its mark, UTF-8, else the system code page).
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AnsiRenderer.h"
#include "Document.h"
#include "HtmlRenderer.h"
#include "lexer/LexFileClass.h"
#include "platform/CodePage.h"
#include "platform/Console.h"

namespace {

constexpr const char* kUsage =
    "usage: penwright-cli expand|stats FILE [--tab N]\n"
    "       penwright-cli blocks FILE [--ext EXT] [--config FILE]\n"
    "       penwright-cli highlight FILE [--theme NAME] [--ext EXT] [--html | --ansi] [--config FILE]\n"
    "       penwright-cli schemes [--config FILE]";

int Fail(const std::string& message) {
    std::fprintf(stderr, "penwright-cli: %s\n", message.c_str());
    return 2;
}

// Output goes out in large pieces: a 10 MB text makes a great many small ones.
class Output {
public:
    ~Output() { Flush(); }
    std::string& Text() { return text_; }
    void FlushIfLarge() {
        if (text_.size() > (1u << 20))
            Flush();
    }
    void Flush() {
        std::fwrite(text_.data(), 1, text_.size(), stdout);
        text_.clear();
    }

private:
    std::string text_;
};

struct Arguments {
    std::string command;
    std::vector<std::string> files;
    std::map<std::string, std::string> options;  // "--html" and the like map to ""
};

bool Parse(int argc, char** argv, Arguments& args, std::string& error) {
    static const std::map<std::string, bool> kTakesValue = {{"--tab", true},   {"--ext", true},
                                                            {"--theme", true}, {"--config", true},
                                                            {"--html", false}, {"--ansi", false}};
    if (argc < 2) {
        error = kUsage;
        return false;
    }
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto option = kTakesValue.find(arg);
        if (option == kTakesValue.end()) {
            if (arg.rfind("--", 0) == 0) {
                error = "unknown option " + arg;
                return false;
            }
            args.files.push_back(arg);
        } else if (option->second && i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        } else {
            args.options[arg] = option->second ? argv[++i] : "";
        }
    }
    return true;
}

std::wstring Option(const Arguments& args, const char* name, const wchar_t* fallback) {
    auto found = args.options.find(name);
    return found != args.options.end() ? pw::Widen(found->second) : std::wstring(fallback);
}

std::optional<std::wstring> OptionalOption(const Arguments& args, const char* name) {
    auto found = args.options.find(name);
    return found != args.options.end() ? std::optional(pw::Widen(found->second)) : std::nullopt;
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

int ExpandOrStats(const Arguments& args) {
    pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    if (!buffer->SetTabSize(std::atoi(pw::Narrow(Option(args, "--tab", L"4")).c_str()), false))
        return Fail("the tab size must be 1 to 256");
    std::string error;
    if (!LoadTextFile(*buffer, pw::Widen(args.files[0]), std::nullopt, error))
        return Fail(error);
    Output out;
    if (args.command == "expand") {
        for (int row = 1; row <= buffer->GetRowCount(); ++row) {
            // Rows are separated, not terminated, by line ends: the output ends as the file did.
            if (row > 1)
                out.Text() += '\n';
            AppendText(Expanded(*buffer, row), false, out.Text());
            out.FlushIfLarge();
        }
    } else {
        long long chars = 0;
        int widest = 0, widestRow = 0;
        for (int row = 1; row <= buffer->GetRowCount(); ++row) {
            int length = buffer->GetLineTextLength(row);
            chars += length;
            int width = buffer->CharIndexToDisplayCol(row, length) - 1;
            if (width > widest)
                widest = width, widestRow = row;
        }
        out.Text() += "rows " + std::to_string(buffer->GetRowCount()) + "\ncharacters " +
                      std::to_string(chars) + "\nwidest row " + std::to_string(widestRow) + " (" +
                      std::to_string(widest) + " columns at tab size " +
                      std::to_string(buffer->GetTabSize()) + ")\n";
    }
    buffer->Close();
    return 0;
}

int Blocks(const Document& doc) {
    Output out;
    for (pw::RefPtr<TextBlock> b = doc.Schema()->GetChain().HeadBlock(); b; b = b->nextBlock) {
        int depth = 0;
        for (const TextBlock* p = b->parent.get(); p; p = p->parent.get()) ++depth;
        out.Text().append(2 * depth, ' ');
        out.Text() += pw::Narrow(DescribeBlock(b.get())) + '\n';
        out.FlushIfLarge();
    }
    return 0;
}

int Highlight(const Document& doc, const Arguments& args, const std::wstring& file) {
    // The page or terminal takes the colours of the text's top class where a theme gives them.
    LexTextAttributes base;
    base.text.standard = 0x000000;
    base.background.standard = 0xFFFFFF;
    if (pw::RefPtr<TextBlock> head = doc.Schema()->GetChain().HeadBlock(); head && head->lexClass) {
        LexTextAttributes top;
        head->lexClass->GetTextAttributes(top);
        if (top.text.IsSet())
            base.text = top.text;
        if (top.background.IsSet())
            base.background = top.background;
    }
    std::unique_ptr<RowRenderer> renderer;
    // Colour escapes suit a terminal; a file or a pipe gets the page unless escapes are asked for.
    const bool html =
        args.options.contains("--html") || (!args.options.contains("--ansi") && !pw::IsOutputTerminal());
    if (html)
        renderer = std::make_unique<HtmlRenderer>(file, base, doc.Buffer()->GetTabSize());
    else
        renderer = std::make_unique<AnsiRenderer>(base);
    const CQELPenwrightBufferManager& buffer = *doc.Buffer();
    std::vector<RowRun> runs;
    // Each pass over the rows walks the blocks once, from the head.
    auto forEachRow = [&](auto&& use) {
        pw::RefPtr<TextBlock> cursor;
        for (int row = 1; row <= buffer.GetRowCount(); ++row) {
            doc.Schema()->GetRowRuns(buffer, row, 0, 0, base, nullptr, &cursor, runs);
            use(row);
        }
    };
    // Walking the rows twice costs less than holding the whole output, which is larger than the text.
    if (renderer->LearnsFromRows())
        forEachRow([&](int) { renderer->Learn(runs); });
    Output out;
    out.Text() = renderer->Prologue();
    forEachRow([&](int row) {
        renderer->Row(buffer.GetLineView(row), runs, out.Text());
        out.FlushIfLarge();
    });
    out.Text() += renderer->Epilogue();
    return 0;
}

void ListEntries(const char* heading, const std::vector<ConfigManager::Entry>& entries,
                 const ConfigManager* config, std::string& out) {
    out += std::string(heading) + ":\n";
    for (const ConfigManager::Entry& entry : entries) {
        out.append("  ").append(pw::Narrow(entry.name)).append("  ").append(pw::Narrow(entry.path));
        if (config) {
            pw::RefPtr<TextSchema> schema = config->GetSchema(entry.name);
            if (schema && schema->EnsureTrees()) {
                for (const pw::RefPtr<LexClass>& top : schema->GetClassSet().GetTree(ClassSet::kFullTree))
                    if (const auto* file = dynamic_cast<const LexFileClass*>(top.get()))
                        for (const std::wstring& ext : file->GetExtensions())
                            out.append(" ").append(pw::Narrow(ext));
            }
        }
        out += '\n';
    }
}

int Schemes(const Document& doc) {
    const std::vector<ConfigManager::Entry> schemes = doc.Config()->GetSchemes();
    const std::vector<ConfigManager::Entry> themes = doc.Config()->GetThemes();
    std::vector<ConfigManager::Entry> failed;
    for (const auto* list : {&schemes, &themes})
        for (const ConfigManager::Entry& entry : *list)
            if (!entry.loaded)
                failed.push_back(entry);
    Output out;
    ListEntries("schemes (name, file, extensions)", schemes, doc.Config().get(), out.Text());
    ListEntries("themes", themes, nullptr, out.Text());
    if (!failed.empty())
        ListEntries("not loaded", failed, nullptr, out.Text());
    return 0;
}

int Run(int argc, char** argv, Document& doc) {
    Arguments args;
    std::string error;
    if (!Parse(argc, argv, args, error))
        return Fail(error);
    const bool needsFile = args.command != "schemes";
    if (args.files.size() != (needsFile ? 1u : 0u))
        return Fail(kUsage);
    if (args.command == "expand" || args.command == "stats")
        return ExpandOrStats(args);
    if (args.command != "blocks" && args.command != "highlight" && args.command != "schemes")
        return Fail("unknown command " + args.command);
    if (args.options.contains("--html") && args.options.contains("--ansi"))
        return Fail("--html and --ansi exclude each other");

    if (!doc.OpenConfig(Option(args, "--config", DefaultConfigPath().c_str()), error))
        return Fail(error);
    if (args.command == "schemes")
        return Schemes(doc);
    // Only colours need a theme.
    if (args.command == "highlight" && !doc.UseTheme(OptionalOption(args, "--theme"), error))
        return Fail(error);
    const std::wstring file = pw::Widen(args.files[0]);
    if (!doc.OpenFile(file, OptionalOption(args, "--ext"), error))
        return Fail(error);
    return args.command == "blocks" ? Blocks(doc) : Highlight(doc, args, file);
}

}  // namespace

int main(int argc, char** argv) {
    Document doc;
    int code = Run(argc, argv, doc);
    // Output that did not reach its file is a failure, not a shorter result.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && code == 0)
        code = Fail("cannot write the output");
    // The process ends here without taking the document apart: the system takes back the
    // blocks of a large text at once, far faster than freeing them one by one, and the
    // configuration's file watcher has nothing left to watch.
    std::_Exit(code);
}
