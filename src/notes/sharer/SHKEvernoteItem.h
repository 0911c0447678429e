#pragma once

#include "foundation/Locked.h"
#include "sharing/core/SHKItem.h"

class EDAMNote;

// A share item that can carry a note prepared by the application: the note-service sharer sends that note
// (filling in what it lacks) instead of making a new one from the item.
class SHKEvernoteItem : public SHKItem
{
public:
    static ns::Ref<SHKEvernoteItem> create();

    // Read and set from any thread.
    ns::Ref<EDAMNote> note() const { return m_note.get(); }
    void setNote(ns::Ref<EDAMNote> note) { m_note.set(std::move(note)); }

    std::string className() const override { return "SHKEvernoteItem"; }

protected:
    SHKEvernoteItem() = default;
    friend ns::Factory<SHKEvernoteItem>;

private:
    ns::Locked<ns::Ref<EDAMNote>> m_note;
};
