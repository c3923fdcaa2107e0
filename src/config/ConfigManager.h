#pragma once
// The process's configuration: the ini file that names the colour themes ("themes") and the
// language schemes ("schemes"), the loaded themes and one TextSchema per scheme, the schema
// that serves a file name, and the current theme applied to every scheme. A watcher thread
// polls all these files and reloads what changes; the configuration file itself is re-read on
// a thread of its own. Events (BufferConfig::Event) tell the buffer managers.
//
// One lock serialises every operation, the watcher's and the re-read's included. Events are
// sent after the lock is released, so that a receiver on another thread may call back in.
// The threads hold references to the manager while they run: Close ends them, and whoever made
// a manager closes it when done (the buffer managers do so for the shared one).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferConfig.h"
#include "config/FileWatcher.h"
#include "config/Theme.h"
#include "lexer/SchemaReader.h"
#include "notify/NotificationConnectionMT.h"
#include "parser/TextSchema.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/RefCounted.h"
#include "platform/Thread.h"

class ConfigManager : public BufferConfig {
public:
    static constexpr uint32_t kPollIntervalMs = 3000;
    // How long Close waits for a re-read of the configuration before leaving its thread behind.
    static constexpr uint32_t kReloadStopWaitMs = 30000;

    // A configured theme or scheme: its name, its file (resolved when it was found) and whether
    // it is loaded.
    struct Entry {
        std::wstring name;
        std::wstring path;
        bool loaded = false;
    };

    // Tests shorten the watcher's polling interval.
    explicit ConfigManager(uint32_t pollIntervalMs = kPollIntervalMs);

    // From now on the first buffer manager of the process makes a ConfigManager, which the
    // others share and the last one closes.
    static void RegisterShared();

    // BufferConfig
    bool SetConfigFile(const std::wstring& path) override;
    std::wstring GetConfigFile() const override;
    CQELNotificationConnection* GetEventSource() const override { return events_.get(); }
    // Stops the watcher and a running re-read (waiting kReloadStopWaitMs at most) and empties
    // both collections. The configuration can be read again afterwards.
    void Close() override;
    bool InstallSchema(BufferParser& parser, const std::wstring& fileExt) override;
    void RemoveSchema(BufferParser& parser) override;
    void RequestFullParse(BufferParser& parser, CQELPenwrightBufferManager& buffer) override;
    SchemaChange ApplyEvent(BufferParser& parser, const std::wstring& fileExt, uint32_t code,
                            uintptr_t wParam, intptr_t lParam) override;

    // The first scheme, in the order of the configuration, whose schema has a file class for
    // the name (a bare extension such as ".cpp" will do); null for an empty name or when none has.
    pw::RefPtr<TextSchema> GetSchemaForFile(std::wstring_view fileName) const;
    // The loaded schema of a scheme (name compared ignoring case), or null.
    pw::RefPtr<TextSchema> GetSchema(std::wstring_view schemeName) const;
    // The configured schemes in the order of the configuration, each name once.
    std::vector<Entry> GetSchemes() const;
    // The configured themes in the order of the configuration.
    std::vector<Entry> GetThemes() const;
    pw::RefPtr<Theme> GetTheme(std::wstring_view name) const;

    // A copy of the raw definitions of every schema file read so far, under its lower-cased
    // path, as they were when the file was last read.
    SchemaCache CopySchemaDefinitions() const;
    // Reads the schema file as it is now, lets `edit` change its definitions (setting them
    // modified), writes the changes back into the file (SchemaReader::WriteBack) and reloads the
    // schemes of the file at once. Editing what the file holds at the time, under the lock the
    // reader's other users take, keeps whatever else was changed in it since it was copied.
    // False, the file untouched, when it is missing or could not be written so.
    bool EditSchemaFile(const std::wstring& path, const std::function<void(SchemaFileDefs&)>& edit);

    // Makes `name` the current theme and applies it (none when no theme has that name) to every
    // scheme, and to `schema` too when one is given; the buffers hear it as a theme reloaded.
    void SetCurrentTheme(const std::wstring& name, TextSchema* schema = nullptr);
    std::wstring GetCurrentTheme() const;
    // A key of the current theme (Theme::GetValue); empty without one.
    std::wstring GetThemeValue(std::wstring_view section, std::wstring_view key, bool inherit) const;

protected:
    ~ConfigManager() override;

private:
    struct PendingEvent {
        uint32_t code;
        std::wstring name;
        pw::RefPtr<TextSchema> schema;
        pw::RefPtr<Theme> theme;
    };
    using Events = std::vector<PendingEvent>;

    // Reads the configuration file; `stop` (the re-read's stop event) ends it early, without
    // events. Answers the events to send.
    Events ReadConfiguration(pw::Event* stop);
    // Loads the scheme from its file into the collection, replacing one of the same name.
    pw::RefPtr<TextSchema> LoadScheme(const std::wstring& name, const std::wstring& path);
    void ApplyTheme(TextSchema& schema) const;
    void ApplyThemeToAll() const;
    Events OnFileChanged(const std::wstring& path, uint32_t kinds, FileWatcher::Change change);
    // Under the lock: every scheme of that file loaded again, or without a schema when it is gone.
    Events ReloadSchemaFile(const std::wstring& path, FileWatcher::Change change);
    void StartReload();
    void ReloadBody();
    void Send(const Events& events);

    mutable pw::CriticalSection lock_;  // guards everything below but the threads
    std::wstring configPath_;
    std::wstring currentTheme_ = L"Default";
    pw::RefPtr<ThemeCollection> themes_;
    // Schemes in the order of the configuration; loaded ones have a schema.
    struct Scheme {
        Entry entry;
        pw::RefPtr<TextSchema> schema;
    };
    std::vector<Scheme> schemes_;
    std::vector<Entry> themeFiles_;  // as configured; `loaded` is not kept here
    bool closed_ = false;            // by Close: no thread starts until the next SetConfigFile
    bool reloadRunning_ = false;
    bool reloadAgain_ = false;  // the configuration changed again while it was re-read

    FileWatcher watcher_;
    pw::Thread reloadThread_;  // started under the lock; Close joins it without
    pw::Event reloadStop_{pw::Event::Reset::Manual};
    pw::RefPtr<CQELNotificationConnectionMT> events_;
};
