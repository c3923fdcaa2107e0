#pragma once
// Polls a list of files from a thread of lowest priority and reports each file that was
// modified, appeared or disappeared since the last poll. Files are named by resolved paths:
// a relative path is tried as given, then relative to a base folder.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/FileSystem.h"
#include "platform/Thread.h"

class FileWatcher {
public:
    enum Kind : uint32_t { kSchemaFile = 1, kThemeFile = 2, kConfigFile = 4 };
    enum class Change { kModified = 0, kAppeared = 1, kDisappeared = 2 };
    using Handler = std::function<void(const std::wstring& path, uint32_t kinds, Change change)>;

    // How long Stop waits for the thread: a poll in progress finishes its reports first.
    static constexpr uint32_t kStopWaitMs = 10000;

    explicit FileWatcher(uint32_t intervalMs);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // The path under which `path` is found: as given when a file is there, else relative to
    // `baseFolder` when it is relative. A folder is no file; a relative path that names a
    // folder as given and nothing in `baseFolder` stays as given.
    static std::wstring Resolve(const std::wstring& path, const std::wstring& baseFolder);
    static bool IsFile(const std::wstring& path);

    // Puts the resolved path under watch with `kind` added to its kinds; answers the resolved path.
    std::wstring Watch(const std::wstring& path, const std::wstring& baseFolder, uint32_t kind);
    void Clear();
    // The watched file was changed by this process, which has dealt with the change: the next
    // poll compares with the file as it is now and does not report it.
    void Seen(const std::wstring& path);

    // Starts the polling thread, which calls `handler` for each report. False when it runs.
    bool Start(Handler handler);
    // Asks the thread to end and waits for it (kStopWaitMs at most). A thread that would not end
    // is left to end alone; the state it uses stays alive with it.
    void Stop();

    // Waits at most timeoutMs for the thread to end, handling the calls that other threads send
    // to this one meanwhile: the thread may be waiting for one of them to be handled.
    static bool JoinHandlingCalls(pw::Thread& thread, uint32_t timeoutMs);

private:
    struct Watched {
        std::wstring path;
        uint32_t kinds;
        std::optional<pw::FileInfo> info;  // none: missing (or a folder)
    };
    struct Shared {
        std::mutex mutex;  // guards files
        std::vector<Watched> files;
        pw::Event stop{pw::Event::Reset::Manual};
    };

    // Compares every file with what was seen before and reports the differences.
    static void Poll(Shared& shared, const Handler& handler);

    const uint32_t intervalMs_;
    std::shared_ptr<Shared> shared_;
    pw::Thread thread_;
};
