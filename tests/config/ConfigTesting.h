#pragma once
// Configurations written into a temporary folder, a configuration manager whose threads end
// with the test, and a recorder of the events it sends.
#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "PumpUntil.h"
#include "config/ConfigManager.h"
#include "notify/NotificationSinkMT.h"
#include "platform/CodePage.h"
#include "platform/TempFolder.h"

using ConfigPtr = pw::RefPtr<ConfigManager>;

inline std::wstring ShippedConfig() {
    return pw::Widen(PW_CONFIG_DIR) + L"/Penwright.ini";
}

// Closes the manager at the end of the test, ending its threads.
class ClosingConfig {
public:
    explicit ClosingConfig(uint32_t pollIntervalMs = ConfigManager::kPollIntervalMs)
        : config_(pw::MakeRef<ConfigManager>(pollIntervalMs)) {}
    ~ClosingConfig() { config_->Close(); }
    ClosingConfig(const ClosingConfig&) = delete;
    ClosingConfig& operator=(const ClosingConfig&) = delete;

    ConfigManager* operator->() const { return config_.get(); }
    ConfigManager& operator*() const { return *config_; }
    const ConfigPtr& Get() const { return config_; }

private:
    ConfigPtr config_;
};

// Events as they arrive on the thread that made the recorder (pump to receive them).
class EventRecorder {
public:
    struct Record {
        uint32_t code;
        std::wstring name;
        bool withObject;
    };

    explicit EventRecorder(CQELNotificationConnection* source) {
        for (uint32_t code : {10u, 11u, 12u})
            sink_.Advise(source, code, [this](uint32_t c, uintptr_t wParam, intptr_t lParam) {
                records_.push_back(
                    {c, wParam ? std::wstring(reinterpret_cast<const wchar_t*>(wParam)) : std::wstring(),
                     lParam != 0});
            });
    }

    const std::vector<Record>& Records() const { return records_; }
    size_t Count(uint32_t code, std::wstring_view name = {}) const {
        size_t n = 0;
        for (const Record& r : records_)
            if (r.code == code && (name.empty() || r.name == name))
                ++n;
        return n;
    }
    // Pumps until an event of `code` (with `name`, when given) arrived after the first `seen`.
    bool WaitFor(uint32_t code, std::wstring_view name = {}, size_t seen = 0) {
        return PumpUntil([&] { return Count(code, name) > seen; });
    }
    void Clear() { records_.clear(); }

private:
    std::vector<Record> records_;  // touched on the owner thread only
    CQELNotificationSinkMT sink_;
};

// Read under the schema's data lock: the watcher applies themes to the configuration's schemas.
inline int32_t CommentColour(TextSchema& schema) {
    pw::ScopedLock<pw::TimedMutex> lock(schema.DataLock());
    for (const pw::RefPtr<LexClass>& top : schema.GetClassSet().GetTree(ClassSet::kCompleteParseTree))
        for (const pw::RefPtr<LexClass>& cls : top->GetChildren())
            if (cls->GetName() == L"comment")
                return cls->GetNumber(L"txt:colorFG", false, -1);
    return -2;
}

// A schema of one language, ".tst" files: plain text, a "/* */" comment and a keyword.
inline std::string SmallSchema(std::string_view commentColor = "0x123456") {
    std::string text =
        "lexClass:\n\tname = tst\n\tparent:file = <*.tst>\n\ttxt:colorFG = 0x000000\n//:lexClass\n"
        "lexClass:\n\tname = comment\n\tparent = tst\n\tstart:tag = '/*'\n\tend:tag = '*/'\n"
        "\ttxt:colorFG = ";
    text += commentColor;
    text +=
        "\n//:lexClass\n"
        "lexClass:\n\tname = keyword\n\tparent = tst, comment\n\ttoken:tag = 'begin', 'end'\n"
        "\ttxt:colorFG = 0x0000FF\n//:lexClass\n";
    return text;
}
