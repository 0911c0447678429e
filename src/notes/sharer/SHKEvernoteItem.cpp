#include "notes/sharer/SHKEvernoteItem.h"

#include "notes/records/EDAMNote.h"

ns::Ref<SHKEvernoteItem> SHKEvernoteItem::create()
{
    return ns::Factory<SHKEvernoteItem>::make();
}

ns::Ref<EDAMNote> SHKEvernoteItem::note() const
{
    std::lock_guard lock(m_mutex);
    return m_note;
}

void SHKEvernoteItem::setNote(ns::Ref<EDAMNote> note)
{
    std::lock_guard lock(m_mutex);
    m_note = std::move(note);
}
