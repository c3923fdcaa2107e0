// The edit control and other programs: text and files dragged onto it through its drop target,
// and its selection dragged out to them through the system's drag and drop.
#include <ole2.h>

#include "editor/win32/DropSource.h"
#include "editor/win32/PenwrightCtrl.h"
#include "editor/win32/TextDataObject.h"

namespace {

// Text moves unless Ctrl asks for a copy or the source allows only copying.
DWORD TextEffect(bool mayLand, DWORD keys, DWORD allowed) {
    if (!mayLand)
        return DROPEFFECT_NONE;
    if ((allowed & DROPEFFECT_MOVE) && !(keys & MK_CONTROL))
        return DROPEFFECT_MOVE;
    return allowed & DROPEFFECT_COPY;
}

}  // namespace

void CQELPenwrightCtrl::RegisterDropTarget() {
    if (!dropTarget_)
        dropTarget_ = pw::win32::DropTarget::Make(*this);
    // Without OLE on the thread the system refuses; files then still come as WM_DROPFILES.
    if (dropTarget_ && !dropRegistered_)
        dropRegistered_ = SUCCEEDED(RegisterDragDrop(Handle(), dropTarget_.Get()));
}

void CQELPenwrightCtrl::RevokeDropTarget() {
    if (dropRegistered_)
        RevokeDragDrop(Handle());
    dropRegistered_ = false;
    if (dropTarget_)
        dropTarget_->Detach();
    dropTarget_.Reset();
}

void CQELPenwrightCtrl::DragOut() {
    MouseInput& mouse = core_->GetMouse();
    const EditCaret& caret = core_->GetCaret();
    const pw::win32::ComPtr<IDataObject> data =
        pw::win32::TextDataObject::Make(caret.GetSelectedText(), caret.GetSelection().IsBlock());
    const pw::win32::ComPtr<IDropSource> source = pw::win32::DropSource::Make();
    HRESULT result = E_OUTOFMEMORY;
    DWORD effect = DROPEFFECT_NONE;
    if (data && source) {
        CaptureMouse(false);  // the system's drag takes the mouse
        draggingOut_ = true;
        droppedOnSelf_ = false;
        result = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        draggingOut_ = false;
    }
    // Whatever happened, the drag, the capture and the timers end here.
    mouse.Cancel();
    // Moved into another program: the text leaves here as a step of its own. Dropped back here,
    // the drop itself moved it.
    if (result == DRAGDROP_S_DROP && (effect & DROPEFFECT_MOVE) && !droppedOnSelf_)
        core_->GetEditor().DeleteSelection();
    droppedOnSelf_ = false;
    RedrawCaret();
    Invalidate();
}

DWORD CQELPenwrightCtrl::OnDragEnter(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) {
    dragged_ = !core_                                    ? Dragged::kNothing
               : pw::win32::Offers(data, CF_UNICODETEXT) ? Dragged::kText
               : pw::win32::Offers(data, CF_HDROP)       ? Dragged::kFiles
                                                         : Dragged::kNothing;
    if (dragged_ != Dragged::kText)
        return dragged_ == Dragged::kFiles ? allowed & DROPEFFECT_COPY : DROPEFFECT_NONE;
    ScreenToClient(Handle(), &screen);
    return TextEffect(core_->GetMouse().OutsideDragEnter(screen.x, screen.y), keys, allowed);
}

DWORD CQELPenwrightCtrl::OnDragOver(DWORD keys, POINT screen, DWORD allowed) {
    if (dragged_ != Dragged::kText)
        return dragged_ == Dragged::kFiles ? allowed & DROPEFFECT_COPY : DROPEFFECT_NONE;
    ScreenToClient(Handle(), &screen);
    return TextEffect(core_->GetMouse().OutsideDragOver(screen.x, screen.y), keys, allowed);
}

void CQELPenwrightCtrl::OnDragLeave() {
    if (dragged_ == Dragged::kText)
        core_->GetMouse().OutsideDragLeave();
    EndDragCaret();
}

DWORD CQELPenwrightCtrl::OnDrop(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) {
    POINT at = screen;
    ScreenToClient(Handle(), &at);
    DWORD effect = DROPEFFECT_NONE;
    if (dragged_ == Dragged::kFiles) {
        pw::win32::Medium files;
        if ((allowed & DROPEFFECT_COPY) && pw::win32::GetMemory(data, CF_HDROP, files)) {
            NotifyDropFiles(static_cast<HDROP>(files.Memory()), at);
            effect = DROPEFFECT_COPY;
        }
    } else if (dragged_ == Dragged::kText) {
        MouseInput& mouse = core_->GetMouse();
        effect = TextEffect(mouse.OutsideDragOver(at.x, at.y), keys, allowed);
        bool dropped = false;
        if (effect != DROPEFFECT_NONE && draggingOut_) {
            // Our own selection came back: moved or copied within the text as one step.
            dropped = droppedOnSelf_ = mouse.Drop(effect == DROPEFFECT_COPY);
        } else if (effect != DROPEFFECT_NONE) {
            const std::optional<pw::win32::Clipboard::Content> text = pw::win32::TextOf(data);
            dropped = text && mouse.OutsideDrop(at.x, at.y, text->text, text->block);
        }
        if (!dropped) {
            mouse.OutsideDragLeave();
            effect = DROPEFFECT_NONE;
        }
    }
    EndDragCaret();
    return effect;
}

void CQELPenwrightCtrl::EndDragCaret() {
    dragged_ = Dragged::kNothing;
    RedrawCaret();
    if (!focus_) {
        caret_.Destroy();
        caretSize_ = {};
    }
}
