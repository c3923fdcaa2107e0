#pragma once
// How the parser of one kind of file schedules its work: which parses go to the worker thread,
// how long the worker waits for typing to pause and how long it stays without work. Read from the
// "global:" attributes of the language's file class; what a schema leaves out keeps its default.
#include <cstdint>

#include "platform/Event.h"  // kInfinite
#include "platform/RefCounted.h"

class LexClass;

struct ParserOptions : pw::RefCounted {
    bool firstParseInThread = true;
    bool editReparseInThread = true;
    bool configChangedReparseInThread = true;
    int32_t backParseOffset = 100;           // characters of text kept before a seek position
    uint32_t editReparseDelayMs = 500;       // time without an edit before the worker parses
    int32_t onScreenCacheLifeTimeSec = 180;  // how long the edit control keeps on-screen results
    uint32_t idleLifeTimeMs = 60000;         // pw::kInfinite: the worker never ends by idleness

    // The defaults, overridden by what `fileClass` (may be null) says.
    static pw::RefPtr<ParserOptions> Read(const LexClass* fileClass);
};
