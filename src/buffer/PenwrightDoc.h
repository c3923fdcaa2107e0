#pragma once
// A document over a buffer manager, for hosts built around documents and views: new, open, save
// and close, the directory entry of the file at the last open or save, and the user's choice
// to reload files changed by others. Views are what the host registers to hear that the whole
// text was replaced or saved.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "buffer/BufferManager.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/RefCounted.h"

class CQELPenwrightDoc {
public:
    // The hint views receive when the text was replaced (new, open) or saved.
    static constexpr int kHintWholeText = 1;
    using ViewUpdate = std::function<void(int hint)>;

    // Starts with a buffer manager of its own; "AutoReload" comes from the application profile.
    CQELPenwrightDoc();

    CQELPenwrightBufferManager* GetDataManager() const { return bufferManager.get(); }
    // Takes a reference to the new buffer manager, then lets the old one go. Without one, the
    // document operations answer false.
    void SetDataManager(CQELPenwrightBufferManager* manager);

    // An empty text of one empty row, not modified, with no file.
    bool OnNewDocument();
    // Reads the file into the buffer; false, with the text unchanged, when it cannot be read.
    // True only when the directory entry could be read afterwards too.
    bool OnOpenDocument(const std::wstring& path);
    // Writes the text to a new file beside `path` that replaces it in one step: a save that
    // fails, the code page included, leaves the old file as it was and the text unsaved.
    bool OnSaveDocument(const std::wstring& path);
    // Empties the buffer manager (it stays attached) and lets the views go.
    void OnCloseDocument();
    void Serialize(pw::Archive& archive);
    // Reads the directory entry of `path`; false, with no entry kept, when it cannot be found.
    bool UpdateFileInfo(const std::wstring& path);

    const std::wstring& GetPathName() const { return pathName; }
    const std::optional<pw::FileInfo>& GetFileInfo() const { return fileInfo; }
    // Why the last open or save failed, for the host to tell the user; none after a success.
    const std::optional<pw::FileException>& GetLastFileError() const { return lastFileError; }

    int GetAutoReload() const { return autoReload; }
    // With `save` the value is also written to the profile; false when there is none or the
    // write fails (the value is kept).
    bool SetAutoReload(int value, bool save);

    // Registers a view; the id removes it again.
    int AddView(ViewUpdate update);
    void RemoveView(int id);
    void UpdateAllViews(int hint);

private:
    // Runs a file operation; a file error is kept for the host and answers false.
    template <class Operation>
    bool TryFile(Operation operation);

    pw::RefPtr<CQELPenwrightBufferManager> bufferManager;
    int autoReload = 0;
    std::optional<pw::FileInfo> fileInfo;
    std::wstring pathName;
    std::optional<pw::FileException> lastFileError;
    std::vector<std::pair<int, ViewUpdate>> views;
    int nextViewId = 1;
};
