#pragma once
// The buffer's side of the process-wide configuration. The configuration and the parser live
// in later layers that depend on the buffer, so the buffer knows them only through this
// interface and BufferParser; the configuration layer registers how the first buffer manager
// of the process makes the shared configuration.
#include <cstdint>
#include <string>

#include "notify/NotificationConnection.h"
#include "platform/RefCounted.h"

class BufferParser;
class CQELPenwrightBufferManager;

class BufferConfig : public pw::RefCounted {
public:
    // Events of the configuration's event source.
    enum Event : uint32_t {
        kSchemeReloaded = 10,  // wParam: the scheme's name (const wchar_t*), lParam: its schema or 0
        kThemeReloaded = 11,   // wParam: the theme's name (const wchar_t*), lParam: the theme or 0
        kConfigRead = 12,      // no data
    };
    // What an event did to a parser's schema.
    enum class SchemaChange { kUnchanged, kInstalled, kRemoved, kThemed };

    // Reads the configuration file at once; false when the path cannot name a file.
    virtual bool SetConfigFile(const std::wstring& path) = 0;
    virtual std::wstring GetConfigFile() const = 0;
    virtual CQELNotificationConnection* GetEventSource() const = 0;
    // Stops the configuration's threads and empties it; the last buffer manager calls it.
    virtual void Close() = 0;

    // Gives `parser` the schema that serves `fileExt`, or none when no scheme claims it (an
    // empty extension included). True when a schema was installed.
    virtual bool InstallSchema(BufferParser& parser, const std::wstring& fileExt) = 0;
    virtual void RemoveSchema(BufferParser& parser) = 0;
    // Parses the whole text of `buffer` again, on the parser's thread when the schema's options
    // ask for it.
    virtual void RequestFullParse(BufferParser& parser, CQELPenwrightBufferManager& buffer) = 0;
    // Brings `parser`, parsing a text of extension `fileExt`, up to date with one of the events
    // above (arguments as sent).
    virtual SchemaChange ApplyEvent(BufferParser& parser, const std::wstring& fileExt, uint32_t code,
                                    uintptr_t wParam, intptr_t lParam) = 0;

protected:
    ~BufferConfig() override = default;
};

// How the first buffer manager of the process makes the shared configuration; without one,
// buffer managers have no configuration.
using BufferConfigFactory = pw::RefPtr<BufferConfig> (*)();
void SetBufferConfigFactory(BufferConfigFactory factory);
