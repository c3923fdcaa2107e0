#pragma once
// Windows only: the control's event connection point. Sinks connect through it and events go to
// each of them through IDispatch::Invoke. It lives inside the control object and counts its
// references there, so a sink's hold on it keeps the control alive.
#include <windows.h>
// After windows.h, which they need.
#include <ocidl.h>

#include <span>
#include <utility>
#include <vector>

#include "editor/win32/ComPtr.h"

class EventPoint final : public IConnectionPoint {
public:
    EventPoint(IConnectionPointContainer& container, REFIID events)
        : container_(container), events_(events) {}
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    // The arguments in order (they are handed over last first, as IDispatch takes them).
    void Fire(DISPID id, std::span<VARIANT> arguments);
    // While frozen, events are dropped.
    void Freeze(bool freeze) { frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0); }
    bool HasSinks() const { return !sinks_.empty(); }
    // Lets every sink go (the control is closing).
    void DisconnectAll() { sinks_.clear(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer& container_;
    IID events_;
    std::vector<std::pair<DWORD, pw::win32::ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
    int frozen_ = 0;
};
