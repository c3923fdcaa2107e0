#pragma once
// A mark on one row (bookmark, breakpoint, collapsed block) and the value it carries.
#include <cstdint>

#include "platform/RefCounted.h"

// Data shared by every copy of a mark parameter; the last reference frees it with the function
// it was given, so a collapsed block's record outlives neither its last mark nor the manager.
class LineMarkHolder : public pw::RefCounted {
public:
    using FreeFunc = void (*)(void*);

    // A null `free` leaves the data to its owner.
    LineMarkHolder(void* data, FreeFunc free) : data_(data), free_(free) {}
    void* Data() const { return data_; }

protected:
    ~LineMarkHolder() override {
        if (free_)
            free_(data_);
    }

private:
    void* data_;
    FreeFunc free_;
};

// The tagged value copied with a mark. Copies of a shared parameter share its holder.
class LineMarkParam {
public:
    enum Type { None = 0, Value32 = 1, Value64 = 2, Shared = 3 };

    LineMarkParam() = default;
    static LineMarkParam Of32(uint32_t value) { return {Value32, value}; }
    static LineMarkParam Of64(uint64_t value) { return {Value64, value}; }
    // Null data gives an empty parameter: there is nothing to share or free.
    static LineMarkParam OfShared(void* data, LineMarkHolder::FreeFunc free) {
        LineMarkParam param;
        param.SetHolder(data, free);
        return param;
    }

    // Replaces the parameter by a new holder of `data`; null data clears it.
    void SetHolder(void* data, LineMarkHolder::FreeFunc free) {
        holder_.reset();
        value_ = 0;
        type_ = None;
        if (!data)
            return;
        holder_ = pw::MakeRef<LineMarkHolder>(data, free);
        type_ = Shared;
    }

    int GetType() const { return type_; }
    uint64_t GetValue() const { return value_; }  // types 1 and 2; a 32-bit value is zero-extended
    void* GetData() const { return holder_ ? holder_->Data() : nullptr; }  // type 3

private:
    LineMarkParam(Type type, uint64_t value) : type_(type), value_(value) {}

    int type_ = None;
    uint64_t value_ = 0;
    pw::RefPtr<LineMarkHolder> holder_;
};

struct LineMark {
    int row = 0;  // 1-based
    LineMarkParam param;
};
