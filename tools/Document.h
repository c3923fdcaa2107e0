#pragma once
// One text file as the editor holds it: the configuration, a buffer manager with the file's
// text and a parser with the schema of its extension, parsed completely.
#include <optional>
#include <string>

#include "buffer/BufferManager.h"
#include "config/ConfigManager.h"
#include "parser/LexParser.h"

class Document {
public:
    Document() = default;
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Reads the configuration. False, with a one-line `error`, when the file is missing or names
    // no scheme.
    bool OpenConfig(const std::wstring& path, std::string& error);
    // Makes `theme` current, or without one the configuration's current theme, else the first it
    // loaded; with no theme loaded the schemes keep their own colours. False, with `error`, when
    // `theme` is not one of the configuration.
    bool UseTheme(const std::optional<std::wstring>& theme, std::string& error);
    // Loads the file (its encoding as the buffer manager finds it) and parses it with the schema
    // of `ext`, or of the file's own extension. False, with `error`, when the file cannot be read
    // or no scheme claims the extension.
    bool OpenFile(const std::wstring& path, std::optional<std::wstring> ext, std::string& error);

    const pw::RefPtr<ConfigManager>& Config() const { return config_; }
    const pw::RefPtr<CQELPenwrightBufferManager>& Buffer() const { return buffer_; }
    // The parsed schema; null before OpenFile succeeded.
    TextSchema* Schema() const { return parser_ ? parser_->GetCurrentSchema().get() : nullptr; }

private:
    pw::RefPtr<ConfigManager> config_;
    pw::RefPtr<CQELPenwrightBufferManager> buffer_;
    pw::RefPtr<LexParser> parser_;
};

// Loads a text file into `buffer` (its encoding as the buffer manager finds it); `ext`, when
// given, selects the schema in place of the file's extension. False, with `error`, when the
// file cannot be read.
bool LoadTextFile(CQELPenwrightBufferManager& buffer, const std::wstring& path,
                  std::optional<std::wstring> ext, std::string& error);

// The shipped configuration: beside the program (EditConfig/Penwright.ini, as the control
// looks for it beside its DLL), else in the source tree the program was built from.
std::wstring DefaultConfigPath();
