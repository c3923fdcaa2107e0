#include "Document.h"

#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DiskFile.h"
#include "platform/FileException.h"
#include "platform/FileSystem.h"
#include "platform/ModulePath.h"

Document::~Document() {
    if (buffer_)
        buffer_->Close();
    if (config_)
        config_->Close();
}

bool Document::OpenConfig(const std::wstring& path, std::string& error) {
    const std::optional<pw::FileInfo> info = pw::GetFileInfo(path);
    if (!info || info->isFolder) {
        error = "cannot read the configuration " + pw::Narrow(path);
        return false;
    }
    config_ = pw::MakeRef<ConfigManager>();
    config_->SetConfigFile(path);
    if (config_->GetSchemes().empty()) {
        error = "the configuration " + pw::Narrow(path) + " names no scheme";
        return false;
    }
    return true;
}

bool Document::UseTheme(const std::optional<std::wstring>& theme, std::string& error) {
    if (theme && !config_->GetTheme(*theme)) {
        error = "unknown theme " + pw::Narrow(*theme);
        return false;
    }
    std::wstring name = theme.value_or(config_->GetCurrentTheme());
    if (!config_->GetTheme(name)) {  // a configuration of one's own need not have "Default"
        name.clear();
        for (const ConfigManager::Entry& entry : config_->GetThemes())
            if (entry.loaded) {
                name = entry.name;
                break;
            }
    }
    config_->SetCurrentTheme(name);
    return true;
}

bool Document::OpenFile(const std::wstring& path, std::optional<std::wstring> ext, std::string& error) {
    buffer_ = pw::MakeRef<CQELPenwrightBufferManager>();
    parser_ = pw::MakeRef<LexParser>();
    buffer_->SetParser(parser_);
    buffer_->SetConfigManager(config_);
    if (!LoadTextFile(*buffer_, path, ext, error))
        return false;
    if (!Schema()) {
        const std::wstring& claimed = buffer_->GetFileExt();
        error = "no scheme claims the extension " +
                (claimed.empty() ? std::string("(none)") : pw::Narrow(claimed));
        return false;
    }
    parser_->ParseAll(*buffer_, false);
    return true;
}

bool LoadTextFile(CQELPenwrightBufferManager& buffer, const std::wstring& path,
                  std::optional<std::wstring> ext, std::string& error) {
    // "cpp" means ".cpp".
    if (ext && !ext->empty() && ext->front() != L'.')
        ext = L"." + *ext;
    try {
        pw::DiskFile file(path, pw::DiskFile::Mode::Read);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        buffer.SerializeText(archive, -1, false, -1,
                             ext ? std::optional<std::wstring_view>(*ext) : std::nullopt, -1);
    } catch (const pw::FileException& e) {
        error = "cannot read " + pw::Narrow(path) + ": " + e.what();
        return false;
    }
    return true;
}

std::wstring DefaultConfigPath() {
    const std::wstring beside = pw::FolderOf(pw::ModulePath()) + L"EditConfig/Penwright.ini";
    if (pw::FileExists(beside))
        return beside;
    return pw::Widen(PW_SOURCE_CONFIG_FILE);
}
