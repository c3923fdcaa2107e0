#include "buffer/PenwrightDoc.h"

#include <algorithm>
#include <cstdint>

#include "platform/Archive.h"
#include "platform/DiskFile.h"
#include "platform/Profile.h"

namespace {

constexpr wchar_t kSettings[] = L"Settings";
constexpr wchar_t kAutoReloadKey[] = L"AutoReload";

}  // namespace

CQELPenwrightDoc::CQELPenwrightDoc() : bufferManager(pw::MakeRef<CQELPenwrightBufferManager>()) {
    if (pw::Profile* profile = pw::AppProfile())
        autoReload = profile->GetInt(kSettings, kAutoReloadKey, autoReload);
}

void CQELPenwrightDoc::SetDataManager(CQELPenwrightBufferManager* manager) {
    bufferManager = manager;
}

template <class Operation>
bool CQELPenwrightDoc::TryFile(Operation operation) {
    try {
        operation();
    } catch (const pw::FileException& error) {
        lastFileError = error;
        return false;
    }
    lastFileError.reset();
    return true;
}

bool CQELPenwrightDoc::OnNewDocument() {
    if (!bufferManager)
        return false;
    bufferManager->RemoveAll();
    bufferManager->InsertText(L"", 1, 1, false);
    bufferManager->GetUndoManager().MarkSaved();
    pathName.clear();
    fileInfo.reset();
    lastFileError.reset();
    UpdateAllViews(kHintWholeText);
    return true;
}

bool CQELPenwrightDoc::OnOpenDocument(const std::wstring& path) {
    if (!bufferManager)
        return false;
    bool read = TryFile([&] {
        pw::DiskFile file(path, pw::DiskFile::Mode::Read);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        Serialize(archive);
    });
    if (!read)
        return false;
    // The text just read is the file's: nothing to save yet, whatever was marked saved before.
    bufferManager->GetUndoManager().MarkSaved();
    pathName = path;
    UpdateAllViews(kHintWholeText);
    return UpdateFileInfo(path);
}

bool CQELPenwrightDoc::OnSaveDocument(const std::wstring& path) {
    if (!bufferManager)
        return false;
    // Not through Serialize: it marks the text saved as soon as the bytes are written, and the
    // mark must wait until the new file has taken the old one's place.
    bool saved = TryFile([&] {
        pw::DiskFile file(path, pw::DiskFile::Mode::Replace);
        pw::Archive archive(file, pw::Archive::Mode::Store);
        bufferManager->SerializeText(archive, -1, true, -1, std::nullopt, -1);
        file.Commit();
    });
    if (!saved)
        return false;
    bufferManager->GetUndoManager().MarkSaved();
    pathName = path;
    if (!UpdateFileInfo(path))
        return false;
    UpdateAllViews(kHintWholeText);
    return true;
}

void CQELPenwrightDoc::OnCloseDocument() {
    if (bufferManager)
        bufferManager->Close();
    views.clear();
}

void CQELPenwrightDoc::Serialize(pw::Archive& archive) {
    if (bufferManager)
        bufferManager->Serialize(archive);
}

bool CQELPenwrightDoc::UpdateFileInfo(const std::wstring& path) {
    fileInfo = pw::GetFileInfo(path);
    return fileInfo.has_value();
}

bool CQELPenwrightDoc::SetAutoReload(int value, bool save) {
    autoReload = value;
    if (!save)
        return true;
    pw::Profile* profile = pw::AppProfile();
    return profile && profile->WriteInt(kSettings, kAutoReloadKey, static_cast<uint32_t>(value));
}

int CQELPenwrightDoc::AddView(ViewUpdate update) {
    views.emplace_back(nextViewId, std::move(update));
    return nextViewId++;
}

void CQELPenwrightDoc::RemoveView(int id) {
    std::erase_if(views, [id](const auto& view) { return view.first == id; });
}

void CQELPenwrightDoc::UpdateAllViews(int hint) {
    // A copy: a view may add or remove views while it updates.
    auto current = views;
    for (const auto& view : current) view.second(hint);
}
