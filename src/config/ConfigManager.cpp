#include "config/ConfigManager.h"

#include <utility>

#include "buffer/BufferManager.h"
#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "parser/LexParser.h"
#include "platform/IniFile.h"

namespace {

using Lock = pw::ScopedLock<pw::CriticalSection>;
using SchemaLock = pw::ScopedLock<pw::TimedMutex>;

constexpr wchar_t kThemesSection[] = L"themes";
constexpr wchar_t kSchemesSection[] = L"schemes";

pw::RefPtr<BufferConfig> MakeShared() {
    return pw::MakeRef<ConfigManager>();
}

// The parsers that the configuration can serve; any other has no schemas to take.
LexParser* AsLexParser(BufferParser& parser) {
    return dynamic_cast<LexParser*>(&parser);
}

// Under both of the schema's locks: the schema's classes become those of the definitions.
bool BuildSchema(TextSchema& schema, const std::vector<LexClassDef>& definitions) {
    SchemaLock parse(schema.ParseLock());
    SchemaLock data(schema.DataLock());
    schema.ReleaseAllBlocks();
    schema.GetClassSet().Clear();
    for (const LexClassDef& def : definitions) {
        pw::RefPtr<LexClass> cls = ClassSet::CreateClass(false);
        if (!cls)
            return false;
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes) cls->ApplyAttribute(attr);
        schema.GetClassSet().AddTemplate(cls);
    }
    return true;
}

std::vector<pw::IniEntry> ConfiguredFiles(const std::wstring& path, const wchar_t* section) {
    std::vector<pw::IniEntry> entries = pw::IniSection(path, section);
    // A line without a name or without a path names nothing that could be loaded.
    std::erase_if(entries, [](const pw::IniEntry& e) { return e.name.empty() || e.value.empty(); });
    return entries;
}

}  // namespace

ConfigManager::ConfigManager(uint32_t pollIntervalMs)
    : themes_(pw::MakeRef<ThemeCollection>()),
      watcher_(pollIntervalMs),
      events_(pw::MakeRef<CQELNotificationConnectionMT>()) {}

ConfigManager::~ConfigManager() {
    Close();
}

void ConfigManager::RegisterShared() {
    SetBufferConfigFactory(&MakeShared);
}

bool ConfigManager::SetConfigFile(const std::wstring& path) {
    if (!pw::IsPathUsable(path))
        return false;
    Events events;
    {
        Lock lock(lock_);
        configPath_ = path;
        closed_ = false;
        events = ReadConfiguration(nullptr);
    }
    Send(events);
    return true;
}

std::wstring ConfigManager::GetConfigFile() const {
    Lock lock(lock_);
    return configPath_;
}

ConfigManager::Events ConfigManager::ReadConfiguration(pw::Event* stop) {
    // The watcher keeps polling: its reports wait for the lock, and those about the files read
    // here find them as they are now.
    watcher_.Clear();
    themes_->Clear();
    themeFiles_.clear();
    schemes_.clear();
    const std::wstring path = watcher_.Watch(configPath_, {}, FileWatcher::kConfigFile);
    auto stopped = [stop] { return stop && stop->IsSet(); };
    if (FileWatcher::IsFile(path)) {
        const std::wstring base = pw::FolderOf(path);
        for (const pw::IniEntry& entry : ConfiguredFiles(path, kThemesSection)) {
            if (stopped())
                return {};
            const std::wstring file = watcher_.Watch(entry.value, base, FileWatcher::kThemeFile);
            if (FileWatcher::IsFile(file)) {
                auto theme = pw::MakeRef<Theme>(entry.name, file, themes_);
                theme->Load();
                themes_->Add(theme);
            }
            themes_->MapPath(file, entry.name);
            themeFiles_.push_back({entry.name, file, false});
        }
        for (const pw::IniEntry& entry : ConfiguredFiles(path, kSchemesSection)) {
            if (stopped())
                return {};
            const std::wstring file = watcher_.Watch(entry.value, base, FileWatcher::kSchemaFile);
            pw::RefPtr<TextSchema> schema;
            if (FileWatcher::IsFile(file))
                schema = LoadScheme(entry.name, file);
            bool known = false;
            for (Scheme& scheme : schemes_) {
                if (EqualNoCase(scheme.entry.name, entry.name)) {
                    // A later line of the same name replaces the scheme.
                    scheme = {{scheme.entry.name, file, schema != nullptr}, schema};
                    known = true;
                }
            }
            if (!known)
                schemes_.push_back({{entry.name, file, schema != nullptr}, schema});
        }
        ApplyThemeToAll();
    }
    if (!closed_)
        watcher_.Start([self = pw::RefPtr<ConfigManager>(this)](const std::wstring& changed, uint32_t kinds,
                                                                FileWatcher::Change change) {
            self->Send(self->OnFileChanged(changed, kinds, change));
        });
    return {{kConfigRead, {}, {}, {}}};
}

pw::RefPtr<TextSchema> ConfigManager::LoadScheme(const std::wstring& name, const std::wstring& path) {
    SchemaReader& reader = SchemaReader::Instance();
    reader.ReadSchemaFile(path, true);
    auto schema = pw::MakeRef<TextSchema>(name);
    if (!BuildSchema(*schema, reader.GetDefinitions()) || !schema->EnsureTrees())
        return {};
    ApplyTheme(*schema);
    return schema;
}

void ConfigManager::ApplyTheme(TextSchema& schema) const {
    pw::RefPtr<Theme> theme = themes_->Find(currentTheme_);
    schema.ApplyTheme(theme.get());
}

void ConfigManager::ApplyThemeToAll() const {
    for (const Scheme& scheme : schemes_)
        if (scheme.schema)
            ApplyTheme(*scheme.schema);
}

ConfigManager::Events ConfigManager::OnFileChanged(const std::wstring& path, uint32_t kinds,
                                                   FileWatcher::Change change) {
    Lock lock(lock_);
    if (closed_)
        return {};
    if (kinds == 0 || (kinds & FileWatcher::kThemeFile)) {
        std::wstring name;
        pw::RefPtr<Theme> theme = themes_->FindByPath(path);
        if (theme) {
            name = theme->GetName();
            if (change == FileWatcher::Change::kDisappeared)
                themes_->Remove(name);
            else
                theme->Load();
        } else if (change == FileWatcher::Change::kAppeared) {
            name = themes_->NameForPath(path);
            if (!name.empty()) {
                theme = pw::MakeRef<Theme>(name, path, themes_);
                theme->Load();
                themes_->Add(theme);
            }
        }
        if (!name.empty()) {
            if (EqualNoCase(name, currentTheme_))
                ApplyThemeToAll();
            return {{kThemeReloaded, name, {}, theme}};
        }
    }
    if (kinds == 0 || (kinds & FileWatcher::kSchemaFile)) {
        Events events = ReloadSchemaFile(path, change);
        if (!events.empty())
            return events;
    }
    if (kinds == 0 || (kinds & FileWatcher::kConfigFile))
        StartReload();
    return {};
}

ConfigManager::Events ConfigManager::ReloadSchemaFile(const std::wstring& path, FileWatcher::Change change) {
    Events events;
    for (Scheme& scheme : schemes_) {
        if (!EqualNoCase(scheme.entry.path, path))
            continue;
        // A scheme whose file is gone has no schema until the file is back.
        scheme.schema = change == FileWatcher::Change::kDisappeared ? pw::RefPtr<TextSchema>()
                                                                    : LoadScheme(scheme.entry.name, path);
        scheme.entry.loaded = scheme.schema != nullptr;
        events.push_back({kSchemeReloaded, scheme.entry.name, scheme.schema, {}});
    }
    return events;
}

SchemaCache ConfigManager::CopySchemaDefinitions() const {
    Lock lock(lock_);
    SchemaCache copy;
    SchemaReader::Instance().CopyCache(copy);
    return copy;
}

bool ConfigManager::EditSchemaFile(const std::wstring& path,
                                   const std::function<void(SchemaFileDefs&)>& edit) {
    Events events;
    {
        Lock lock(lock_);
        // A file gone meanwhile takes no edits: writing them would make a file of them alone.
        if (!FileWatcher::IsFile(path))
            return false;
        SchemaReader& reader = SchemaReader::Instance();
        reader.ReadSchemaFile(path, false);
        SchemaFileDefs current{reader.GetDefinitions(), false};
        edit(current);
        if (!current.modified)
            return true;
        if (reader.WriteBack(path, current) != 1)
            return false;
        events = ReloadSchemaFile(path, FileWatcher::Change::kModified);
        watcher_.Seen(path);
    }
    Send(events);
    return true;
}

void ConfigManager::StartReload() {
    if (reloadRunning_) {
        reloadAgain_ = true;
        return;
    }
    reloadStop_.Reset();
    // The previous re-read may still be leaving its thread after it let go of the lock.
    if (!reloadThread_.Join(FileWatcher::kStopWaitMs))
        return;
    reloadRunning_ = reloadThread_.Start([self = pw::RefPtr<ConfigManager>(this)] { self->ReloadBody(); });
}

void ConfigManager::ReloadBody() {
    for (;;) {
        Events events;
        {
            Lock lock(lock_);
            if (reloadStop_.IsSet() || closed_) {
                reloadRunning_ = false;
                return;
            }
            reloadAgain_ = false;
            events = ReadConfiguration(&reloadStop_);
        }
        Send(events);
        Lock lock(lock_);
        if (!reloadAgain_ || reloadStop_.IsSet() || closed_) {
            reloadRunning_ = false;
            return;
        }
    }
}

void ConfigManager::Close() {
    {
        Lock lock(lock_);
        closed_ = true;
        reloadStop_.Set();
    }
    // Without the lock: both threads take it before they notice that they are to end.
    FileWatcher::JoinHandlingCalls(reloadThread_, kReloadStopWaitMs);
    watcher_.Stop();
    Lock lock(lock_);
    watcher_.Clear();
    themes_->Clear();
    themeFiles_.clear();
    schemes_.clear();
}

void ConfigManager::Send(const Events& events) {
    // The references held here keep the objects alive while the receivers look at them.
    for (const PendingEvent& event : events) {
        intptr_t object = event.schema ? reinterpret_cast<intptr_t>(event.schema.get())
                                       : reinterpret_cast<intptr_t>(event.theme.get());
        events_->SendEvent(event.code,
                           event.code == kConfigRead ? 0 : reinterpret_cast<uintptr_t>(event.name.c_str()),
                           object);
    }
}

pw::RefPtr<TextSchema> ConfigManager::GetSchemaForFile(std::wstring_view fileName) const {
    Lock lock(lock_);
    if (fileName.empty())
        return {};
    for (const Scheme& scheme : schemes_)
        if (scheme.schema && scheme.schema->FileClass(fileName))
            return scheme.schema;
    return {};
}

pw::RefPtr<TextSchema> ConfigManager::GetSchema(std::wstring_view schemeName) const {
    Lock lock(lock_);
    for (const Scheme& scheme : schemes_)
        if (EqualNoCase(scheme.entry.name, schemeName))
            return scheme.schema;
    return {};
}

std::vector<ConfigManager::Entry> ConfigManager::GetSchemes() const {
    Lock lock(lock_);
    std::vector<Entry> entries;
    for (const Scheme& scheme : schemes_) entries.push_back(scheme.entry);
    return entries;
}

std::vector<ConfigManager::Entry> ConfigManager::GetThemes() const {
    Lock lock(lock_);
    std::vector<Entry> entries = themeFiles_;
    for (Entry& entry : entries) {
        pw::RefPtr<Theme> theme = themes_->Find(entry.name);
        entry.loaded = theme && EqualNoCase(theme->GetPath(), entry.path);
    }
    return entries;
}

pw::RefPtr<Theme> ConfigManager::GetTheme(std::wstring_view name) const {
    Lock lock(lock_);
    return themes_->Find(name);
}

void ConfigManager::SetCurrentTheme(const std::wstring& name, TextSchema* schema) {
    pw::RefPtr<Theme> theme;
    {
        Lock lock(lock_);
        currentTheme_ = name;
        ApplyThemeToAll();
        if (schema)
            ApplyTheme(*schema);
        theme = themes_->Find(name);
    }
    // The buffers' parsers hold schemas of their own: the event has them take the theme too.
    Send({{kThemeReloaded, name, {}, theme}});
}

std::wstring ConfigManager::GetCurrentTheme() const {
    Lock lock(lock_);
    return currentTheme_;
}

std::wstring ConfigManager::GetThemeValue(std::wstring_view section, std::wstring_view key,
                                          bool inherit) const {
    Lock lock(lock_);
    pw::RefPtr<Theme> theme = themes_->Find(currentTheme_);
    return theme ? theme->GetValue(section, key, inherit) : std::wstring();
}

bool ConfigManager::InstallSchema(BufferParser& parser, const std::wstring& fileExt) {
    LexParser* lex = AsLexParser(parser);
    if (!lex)
        return false;
    Lock lock(lock_);
    pw::RefPtr<TextSchema> schema = GetSchemaForFile(fileExt);
    return lex->SetTextSchema(schema.get()) && schema;
}

void ConfigManager::RemoveSchema(BufferParser& parser) {
    if (LexParser* lex = AsLexParser(parser))
        lex->SetTextSchema(nullptr);
}

void ConfigManager::RequestFullParse(BufferParser& parser, CQELPenwrightBufferManager& buffer) {
    // Colouring switched on counts as a change of configuration too: the text did not change.
    if (LexParser* lex = AsLexParser(parser); lex && lex->GetCurrentSchema())
        lex->ParseWholeText(buffer, LexParser::WholeParse::kConfigChanged);
}

BufferConfig::SchemaChange ConfigManager::ApplyEvent(BufferParser& parser, const std::wstring& fileExt,
                                                     uint32_t code, uintptr_t wParam, intptr_t lParam) {
    LexParser* lex = AsLexParser(parser);
    if (!lex)
        return SchemaChange::kUnchanged;
    Lock lock(lock_);
    const bool hadSchema = lex->GetCurrentSchema() != nullptr;
    switch (code) {
        case kSchemeReloaded: {
            auto* schema = reinterpret_cast<TextSchema*>(lParam);
            const auto* name = reinterpret_cast<const wchar_t*>(wParam);
            if (schema) {
                if (!fileExt.empty() && schema->FileClass(fileExt))
                    return lex->SetTextSchema(schema) ? SchemaChange::kInstalled : SchemaChange::kRemoved;
                if (hadSchema && name && EqualNoCase(lex->GetCurrentSchema()->GetName(), name)) {
                    lex->SetTextSchema(nullptr);
                    return SchemaChange::kRemoved;
                }
            } else if (hadSchema && !GetSchemaForFile(fileExt)) {
                lex->SetTextSchema(nullptr);
                return SchemaChange::kRemoved;
            }
            return SchemaChange::kUnchanged;
        }
        case kThemeReloaded:
            // The theme in force, not the one that changed: a change to another theme must not
            // recolour the text.
            if (!hadSchema)
                return SchemaChange::kUnchanged;
            ApplyTheme(*lex->GetCurrentSchema());
            return SchemaChange::kThemed;
        case kConfigRead:
            if (InstallSchema(parser, fileExt))
                return SchemaChange::kInstalled;
            return hadSchema ? SchemaChange::kRemoved : SchemaChange::kUnchanged;
        default:
            return SchemaChange::kUnchanged;
    }
}
