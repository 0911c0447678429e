#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class EDAMNote;
class EDAMNotebook;
class EDAMNoteStore;
class EDAMResource;
class SHKItem;

// How the note-service sharer turns a share item into the note it sends: the note's title, tags,
// notebook, attributes, resources and mark-up. Inserted texts are escaped, so that any title, address or
// text gives well-formed mark-up. Runs on the sender's background thread.
class SHKEvernoteNote
{
public:
    SHKEvernoteNote() = delete;

    // The XML declaration, the document type of the service's mark-up and the opening tag.
    static const char* const ContentHeader;

    // The note to send for the item: the item's prepared note when it is an SHKEvernoteItem with one
    // (only what it lacks is filled in), else a new one; created at `now` (seconds since 1970) in whole
    // seconds, in milliseconds. Asks the store for the default notebook when the note names none.
    static ns::Ref<EDAMNote> noteForItem(const ns::Ref<SHKItem>& item, EDAMNoteStore& noteStore,
                                         const std::optional<std::string>& authenticationToken, double now);

    // The media tag that places the resource in the mark-up, named by the MD5 of its data's body; with
    // the size when both sides are above 0.
    static std::string enMediaTagWithResource(const EDAMResource& resource, float width, float height);

    // The first notebook that is the default, in the store's order; nothing when none is.
    static ns::Ref<EDAMNotebook>
    defaultNoteBookFromNoteStore(EDAMNoteStore& noteStore,
                                 const std::optional<std::string>& authenticationToken);

    // The tags typed into the share form: split at runs of white space, empty pieces dropped (the service
    // refuses an empty tag, which would fail the whole note).
    static std::vector<std::string> tagNames(std::string_view tags);

    // The text with "&", "<", ">" and "\"" replaced by their entities.
    static std::string escapedForMarkup(std::string_view text);
};
