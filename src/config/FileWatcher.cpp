#include "config/FileWatcher.h"

#include <utility>

#include "lexer/LexText.h"
#include "platform/MessageTarget.h"
#include "platform/Time.h"

namespace {

bool IsAbsolute(const std::wstring& path) {
    if (!path.empty() && (path[0] == L'\\' || path[0] == L'/'))
        return true;
    return path.size() >= 2 && path[1] == L':';
}

std::optional<pw::FileInfo> FileInfoOf(const std::wstring& path) {
    std::optional<pw::FileInfo> info = pw::GetFileInfo(path);
    if (info && info->isFolder)
        return std::nullopt;
    return info;
}

}  // namespace

FileWatcher::FileWatcher(uint32_t intervalMs)
    : intervalMs_(intervalMs), shared_(std::make_shared<Shared>()) {}

FileWatcher::~FileWatcher() {
    Stop();
}

bool FileWatcher::IsFile(const std::wstring& path) {
    return pw::IsPathUsable(path) && FileInfoOf(path).has_value();
}

std::wstring FileWatcher::Resolve(const std::wstring& path, const std::wstring& baseFolder) {
    if (IsAbsolute(path))
        return path;
    // Found from the current folder: kept absolute, so that a later change of folder cannot lose it.
    if (IsFile(path) || baseFolder.empty()) {
        std::wstring full = pw::FullPath(path);
        return full.empty() ? path : full;
    }
    // A file missing from both places is awaited beside the configuration, where it is named.
    std::wstring relative = baseFolder + path;
    return IsFile(relative) || !pw::FileExists(path) ? relative : path;
}

std::wstring FileWatcher::Watch(const std::wstring& path, const std::wstring& baseFolder, uint32_t kind) {
    std::wstring resolved = Resolve(path, baseFolder);
    std::optional<pw::FileInfo> info = pw::IsPathUsable(resolved) ? FileInfoOf(resolved) : std::nullopt;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (Watched& file : shared_->files) {
        if (EqualNoCase(file.path, resolved)) {
            file.kinds |= kind;
            return resolved;
        }
    }
    shared_->files.push_back({resolved, kind, info});
    return resolved;
}

void FileWatcher::Clear() {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->files.clear();
}

void FileWatcher::Seen(const std::wstring& path) {
    std::optional<pw::FileInfo> info = pw::IsPathUsable(path) ? FileInfoOf(path) : std::nullopt;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (Watched& file : shared_->files)
        if (EqualNoCase(file.path, path))
            file.info = info;
}

bool FileWatcher::Start(Handler handler) {
    if (thread_.IsRunning())
        return false;
    shared_->stop.Reset();
    // The thread keeps the state it uses alive: a thread left behind by Stop must not touch
    // a destroyed watcher.
    return thread_.Start(
        [shared = shared_, interval = intervalMs_, handler = std::move(handler)] {
            while (!shared->stop.Wait(interval)) Poll(*shared, handler);
            pw::SleepMs(100);
        },
        pw::ThreadPriority::Lowest);
}

void FileWatcher::Stop() {
    shared_->stop.Set();
    if (JoinHandlingCalls(thread_, kStopWaitMs))
        return;
    // It is stuck in a report; a new state lets a new thread start while it finishes.
    std::lock_guard<std::mutex> lock(shared_->mutex);
    auto fresh = std::make_shared<Shared>();
    fresh->files = shared_->files;
    shared_ = std::move(fresh);
}

void FileWatcher::Poll(Shared& shared, const Handler& handler) {
    struct Report {
        std::wstring path;
        uint32_t kinds;
        Change change;
    };
    std::vector<Report> reports;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        for (Watched& file : shared.files) {
            std::optional<pw::FileInfo> now =
                pw::IsPathUsable(file.path) ? FileInfoOf(file.path) : std::nullopt;
            if (now) {
                const bool appeared = !file.info;
                if (appeared || now->size != file.info->size ||
                    now->lastWriteTime != file.info->lastWriteTime) {
                    file.info = now;
                    reports.push_back(
                        {file.path, file.kinds, appeared ? Change::kAppeared : Change::kModified});
                }
            } else if (file.info) {
                file.info.reset();
                reports.push_back({file.path, file.kinds, Change::kDisappeared});
            }
        }
    }
    // Reported without the lock: the handler may change the list.
    for (const Report& report : reports) handler(report.path, report.kinds, report.change);
}

bool FileWatcher::JoinHandlingCalls(pw::Thread& thread, uint32_t timeoutMs) {
    if (thread.IsRunning() && thread.Id() == pw::CurrentThreadId())
        return false;  // the thread lets go of its owner's last reference: it ends right after
    const uint32_t start = pw::TickCount();
    while (!thread.Join(10)) {
        if (pw::TickCount() - start >= timeoutMs)
            return false;
        pw::PumpMessages(0);
    }
    return true;
}
